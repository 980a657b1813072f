// The real-system tests' entry: --full (or VELMORA_SOAK=full) runs the long
// runs at their full count.

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
    ::testing::InitGoogleTest(&argc, argv);
    const char* soak = std::getenv("VELMORA_SOAK");
    reliability::fullSoak = soak != nullptr && std::strcmp(soak, "full") == 0;
    for (int i = 1; i < argc; ++i) {
        reliability::fullSoak = reliability::fullSoak || std::strcmp(argv[i], "--full") == 0;
    }
    return RUN_ALL_TESTS();
}
