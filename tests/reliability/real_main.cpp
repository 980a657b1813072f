// The real-system tests' entry: --full (or VELMORA_SOAK=full) runs the long
// runs at their full count; --helper makes this program the helper the tests
// list, map and end.

#include "tests/kit/helper_process.h"
#include "tests/reliability/soak_counts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace reliability {

namespace {
bool fullSoak = false;
} // namespace

SoakCounts ChosenSoak() { return fullSoak ? kFullSoak : kShortSoak; }

} // namespace reliability

int main(int argc, char** argv) {
    if (testkit::StartedAsHelper(argc, argv)) {
        return testkit::ServeAsHelper(testkit::LayOutKnownMemory());
    }
    ::testing::InitGoogleTest(&argc, argv);
    const char* soak = std::getenv("VELMORA_SOAK");
    reliability::fullSoak = soak != nullptr && std::strcmp(soak, "full") == 0;
    for (int i = 1; i < argc; ++i) {
        reliability::fullSoak = reliability::fullSoak || std::strcmp(argv[i], "--full") == 0;
    }
    return RUN_ALL_TESTS();
}
