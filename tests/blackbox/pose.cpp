#include "tests/blackbox/pose.h"

#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/memory_map_window.h"
#include "tests/blackbox/remote_window.h"
#include "tests/blackbox/viewer_session.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace blackbox {

namespace {

constexpr DWORD kSettleMs = 300; // for Wine to hand the painted window to X

bool PaintPending(HWND window) {
    if (::GetUpdateRect(window, nullptr, FALSE)) {
        return true;
    }
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetUpdateRect(child, nullptr, FALSE)) {
            return true;
        }
    }
    return false;
}

void Pose(const char* name, HWND window) {
    WaitFor(std::string("the ") + name + " window to be painted",
            [window] { return !PaintPending(window); });
    ::Sleep(kSettleMs);
    RECT frame{};
    ::GetWindowRect(window, &frame);
    std::printf("pose %s %ld %ld %ld %ld\n", name, frame.left, frame.top, frame.right - frame.left,
                frame.bottom - frame.top);
    std::fflush(stdout);
    char answer[16];
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
        throw std::runtime_error("no answer after the pose");
    }
}

} // namespace

int RunPose() {
    try {
        HelperProcess helper;
        ViewerSession viewer;
        viewer.SelectProcess(helper.Id());
        viewer.SelectModule("kernel32.dll");
        Pose("main", viewer.Main());
        MemoryMapWindow map(viewer);
        map.MapAll(OwnExeName());
        Pose("memory-map", map.Handle());
        map.Close();
        return viewer.ExitThroughPrompt(kStepTimeoutMs) ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pose: %s\n", error.what());
        return 1;
    }
}

} // namespace blackbox
