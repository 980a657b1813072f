#pragma once
// Labels on tests. A run given --label=NAME runs exactly the tests that carry the
// label, so a test that is renamed stays in that run (the DPI runs use "dpi").

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testlabels {

struct Label {
    Label(const char* label, const char* test);
};

// The gtest filter for the tests that carry `label`; empty when none does.
std::string FilterFor(const std::string& label);

} // namespace testlabels

// TEST_F with a label: LABELED_TEST_F("dpi", Fixture, Name) { ... }
#define LABELED_TEST_F(label, fixture, name)                                                       \
    static const ::testlabels::Label fixture##_##name##_label(label, #fixture "." #name);          \
    TEST_F(fixture, name)
