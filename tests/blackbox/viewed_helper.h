#pragma once
// The fixture of the tests that look at a helper through the viewer: the helper
// starts first, then a viewer that lists it; they end in the other order.

#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/viewer_session.h"

#include <gtest/gtest.h>

#include <memory>

namespace blackbox {

class ViewedHelper : public ::testing::Test {
protected:
    void SetUp() override {
        helper = std::make_unique<HelperProcess>();
        viewer = std::make_unique<ViewerSession>();
    }
    void TearDown() override {
        viewer.reset(); // the viewer first: it holds the helper open
        helper.reset();
    }

    std::unique_ptr<HelperProcess> helper;
    std::unique_ptr<ViewerSession> viewer;
};

} // namespace blackbox
