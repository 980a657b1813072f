// The black-box test program. Its modes:
//   velmora_blackbox_tests --viewer=PATH [--viewer64=PATH] [gtest flags]   the tests
//     (--viewer64: the 64-bit edition, for the 32-bit one's hand-over under WOW64)
//   velmora_blackbox_tests --viewer=PATH --pose          poses windows for screenshots
//   velmora_blackbox_tests --helper                      the helper process the tests inspect

#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/pose.h"
#include "tests/blackbox/viewer_session.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr char kViewerOption[] = "--viewer=";
constexpr char kViewer64Option[] = "--viewer64=";
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
        } else if (std::strncmp(argv[i], kViewer64Option, std::strlen(kViewer64Option)) == 0) {
            blackbox::SetViewer64Path(argv[i] + std::strlen(kViewer64Option));
        } else if (std::strcmp(argv[i], kPoseFlag) == 0) {
            pose = true;
        }
    }
    return pose ? blackbox::RunPose() : RUN_ALL_TESTS();
}
