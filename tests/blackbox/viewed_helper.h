#pragma once
// The fixtures of the tests that look at one process through the viewer: a helper
// this program starts, or a 64-bit process of the system.

#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/system_view.h"
#include "tests/blackbox/viewer_session.h"

#include <gtest/gtest.h>

#include <memory>

namespace blackbox {

// The helper starts first, then a viewer that lists it; they end in the other order.
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

// On 64-bit Windows: a viewer with the first 64-bit process it lists selected.
// Skipped elsewhere.
class SixtyFourBitProcess : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWow64()) {
            GTEST_SKIP() << "needs 64-bit Windows";
        }
        viewer = std::make_unique<ViewerSession>();
        auto found = Listed64BitProcess(viewer->Rows(main_window::MainControl::lstProcesses));
        ASSERT_TRUE(found.has_value()) << "no 64-bit process listed";
        listed = *found;
        viewer->SelectProcess(listed.id);
    }

    std::unique_ptr<ViewerSession> viewer;
    ListedProcess listed{};
};

// The tests of the 64-bit edition run where this program, and so the viewer, is
// 64-bit, and are skipped in the 32-bit test program (whose SixtyFourBitProcess
// tests look at 64-bit processes from a 32-bit viewer).
inline constexpr bool kSixtyFourBitEdition = sizeof(void*) == 8;
inline constexpr char kSixtyFourBitEditionOnly[] =
    "tests the 64-bit edition: this test program and its viewer are 32-bit";

template <typename Fixture> class InSixtyFourBitEdition : public Fixture {
protected:
    void SetUp() override {
        if (!kSixtyFourBitEdition) {
            GTEST_SKIP() << kSixtyFourBitEditionOnly;
        }
        Fixture::SetUp();
    }
};

} // namespace blackbox
