// The main of the GoogleTest programs: gtest's own, plus --label=NAME (labels.h).

#include "tests/labels.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace testlabels {

namespace {

std::map<std::string, std::vector<std::string>>& Registry() {
    static std::map<std::string, std::vector<std::string>> tests;
    return tests;
}

} // namespace

Label::Label(const char* label, const char* test) { Registry()[label].push_back(test); }

std::string FilterFor(const std::string& label) {
    std::string filter;
    for (const std::string& test : Registry()[label]) {
        filter += (filter.empty() ? "" : ":") + test;
    }
    return filter;
}

} // namespace testlabels

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    constexpr char kLabelFlag[] = "--label=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kLabelFlag, sizeof kLabelFlag - 1) != 0) {
            continue;
        }
        std::string filter = testlabels::FilterFor(argv[i] + sizeof kLabelFlag - 1);
        if (filter.empty()) {
            std::fprintf(stderr, "no test carries the label in %s\n", argv[i]);
            return 1;
        }
        GTEST_FLAG_SET(filter, filter);
    }
    return RUN_ALL_TESTS();
}
