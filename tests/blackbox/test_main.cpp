// The black-box test program. Its modes:
//   velmora_blackbox_tests --viewer=PATH [--viewer64=PATH] [--modules-helper=PATH]
//                          [gtest flags]                 the tests
//     (--viewer64: the 64-bit edition, for the 32-bit one's hand-over under WOW64;
//      --modules-helper: the benchmark's helper that loads many modules)
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
constexpr char kModulesHelperOption[] = "--modules-helper=";
constexpr char kPoseFlag[] = "--pose";

bool TakeOption(const char* argument, const char* option, void (*set)(const std::string&)) {
    if (std::strncmp(argument, option, std::strlen(option)) != 0) {
        return false;
    }
    set(argument + std::strlen(option));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (testkit::StartedAsHelper(argc, argv)) {
        return testkit::ServeAsHelper(testkit::LayOutKnownMemory());
    }
    ::testing::InitGoogleTest(&argc, argv); // leaves only the arguments it does not know
    bool pose = false;
    for (int i = 1; i < argc; ++i) {
        if (!TakeOption(argv[i], kViewerOption, blackbox::SetViewerPath) &&
            !TakeOption(argv[i], kViewer64Option, blackbox::SetViewer64Path) &&
            !TakeOption(argv[i], kModulesHelperOption, blackbox::SetModulesHelperPath)) {
            pose = pose || std::strcmp(argv[i], kPoseFlag) == 0;
        }
    }
    return pose ? blackbox::RunPose() : RUN_ALL_TESTS();
}
