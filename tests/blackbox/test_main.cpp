// The black-box test program. Its modes:
//   velmora_blackbox_tests --viewer=PATH [gtest flags]   the tests
//   velmora_blackbox_tests --viewer=PATH --pose          poses windows for screenshots
//   velmora_blackbox_tests --helper                      the helper process the tests inspect

#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/pose.h"
#include "tests/blackbox/viewer_session.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr char kViewerOption[] = "--viewer=";
constexpr char kPoseFlag[] = "--pose";

} // namespace

int main(int argc, char** argv) {
    if (testkit::StartedAsHelper(argc, argv)) {
        return testkit::ServeAsHelper(testkit::LayOutKnownMemory());
    }
    ::testing::InitGoogleTest(&argc, argv); // leaves only the arguments it does not know
    bool pose = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kViewerOption, std::strlen(kViewerOption)) == 0) {
            blackbox::SetViewerPath(argv[i] + std::strlen(kViewerOption));
        } else if (std::strcmp(argv[i], kPoseFlag) == 0) {
            pose = true;
        }
    }
    return pose ? blackbox::RunPose() : RUN_ALL_TESTS();
}
