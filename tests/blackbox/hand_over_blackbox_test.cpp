// The 32-bit viewer started on 64-bit Windows (this program under WOW64): with the
// 64-bit edition in its folder it starts that one and ends without a window of its
// own; without it, it shows its own window as always. The 64-bit edition comes in
// --viewer64=PATH.

#include "app/app_title.h"
#include "app/hand_over.h"
#include "tests/blackbox/folders.h"
#include "tests/blackbox/remote_window.h"
#include "tests/blackbox/row_text.h"
#include "tests/blackbox/system_view.h"
#include "tests/blackbox/viewer_session.h"
#include "tests/kit/text.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <optional>

namespace blackbox {
namespace {

using testkit::Lower;

constexpr char kExe32Name[] = "velmora.exe";
constexpr DWORD kWatchAndEnd = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE;

struct RunningProcess {
    UniqueHandle process; // opened with kWatchAndEnd
    DWORD id = 0;
};

std::string ImagePath(HANDLE process) {
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    return ::QueryFullProcessImageNameA(process, 0, path, &size) ? std::string(path, size)
                                                                 : std::string();
}

// The running processes whose image path ends in `pathEnd` (case ignored): the
// folder is compared by its last name only, as Wine may spell the drive otherwise.
std::vector<RunningProcess> ProcessesRunning(const std::string& pathEnd) {
    DWORD ids[4096] = {};
    DWORD bytes = 0;
    std::vector<RunningProcess> found;
    if (!::EnumProcesses(ids, sizeof ids, &bytes)) {
        return found;
    }
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        UniqueHandle process(::OpenProcess(kWatchAndEnd, FALSE, ids[i]));
        if (process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT &&
            EndsWith(Lower(ImagePath(process.Get())), Lower(pathEnd))) {
            found.push_back({std::move(process), ids[i]});
        }
    }
    return found;
}

bool IsWow64(HANDLE process) {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(process, &wow64) && wow64;
}

bool RunsOnX64() {
    SYSTEM_INFO native{};
    ::GetNativeSystemInfo(&native);
    return native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

class HandOver : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWow64() || !RunsOnX64()) {
            GTEST_SKIP() << "the 32-bit viewer hands over only under WOW64 on x64 Windows, and "
                            "this run is not there";
        }
        if (Viewer64Path().empty() ||
            ::GetFileAttributesA(Viewer64Path().c_str()) == INVALID_FILE_ATTRIBUTES) {
            GTEST_SKIP() << "no 64-bit edition at \"" << Viewer64Path() << "\" (--viewer64=PATH)";
        }
        ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        ASSERT_TRUE(CopyFileTo(ViewerPath(), exe32));
        ASSERT_TRUE(CopyFileTo(Viewer64Path(), exe64));
    }

    // Whatever a failed test left running from the folder goes first.
    void TearDown() override {
        for (const char* name : {kExe32Name, app::k64BitEditionName}) {
            for (RunningProcess& left : ProcessesRunning(InFolder(name))) {
                ::TerminateProcess(left.process.Get(), 1);
                ::WaitForSingleObject(left.process.Get(), kStepTimeoutMs);
            }
        }
        RemoveFolder(folder);
    }

    // The end of the path of a file in the folder.
    std::string InFolder(const std::string& name) const { return "\\" + folderName + "\\" + name; }

    struct FirstRun {
        bool ended = false;
        DWORD exitCode = STILL_ACTIVE;
        bool showedWindow = false; // a main window of its own was seen meanwhile
    };
    // Starts the 32-bit copy and watches it until it ends.
    FirstRun WatchThe32BitViewer() const;

    // Named by this run: a viewer that an earlier run left behind is not taken for ours.
    const std::string folderName = "hand_over_" + std::to_string(::GetCurrentProcessId());
    const std::string folder = CurrentFolder() + "\\" + folderName;
    const std::string exe32 = folder + "\\" + kExe32Name;
    const std::string exe64 = folder + "\\" + app::k64BitEditionName;
};

HandOver::FirstRun HandOver::WatchThe32BitViewer() const {
    FirstRun run;
    testkit::StartedProcess started = testkit::StartProcess("\"" + exe32 + "\"");
    if (!started.process) {
        ADD_FAILURE() << "could not start " << exe32 << ": error " << started.error;
        return run;
    }
    run.ended = Eventually(
        [&] {
            run.showedWindow = run.showedWindow || FindTopWindow(started.id, app::kAppTitle,
                                                                 WindowKind::Form) != nullptr;
            return ::WaitForSingleObject(started.process.Get(), 0) == WAIT_OBJECT_0;
        },
        kWindowTimeoutMs);
    ::GetExitCodeProcess(started.process.Get(), &run.exitCode);
    return run;
}

TEST_F(HandOver, The64BitEditionBesideItTakesOverAndWithoutItThe32BitViewerShows) {
    {
        SCOPED_TRACE("with " + exe64);
        FirstRun run = WatchThe32BitViewer();
        EXPECT_FALSE(run.showedWindow) << "the 32-bit viewer showed a main window";
        EXPECT_TRUE(run.ended) << "the 32-bit viewer still ran after " << kWindowTimeoutMs << " ms";
        EXPECT_EQ(run.exitCode, 0u);
        std::vector<RunningProcess> running;
        ASSERT_TRUE(Eventually(
            [&] { return !(running = ProcessesRunning(InFolder(app::k64BitEditionName))).empty(); },
            kWindowTimeoutMs))
            << "no process runs " << exe64;
        ASSERT_EQ(running.size(), 1u) << "more than one 64-bit viewer started";
        // Its main window, found by caption, and its first process list.
        ViewerSession viewer64(std::move(running[0].process), running[0].id);
        EXPECT_FALSE(IsWow64(viewer64.Process())) << "the viewer that took over is not 64-bit";
    }
    {
        SCOPED_TRACE("without " + exe64);
        DWORD error = 0;
        ASSERT_TRUE(Eventually([&] {
            // The ended 64-bit viewer's file may stay in use for a moment.
            bool deleted = ::DeleteFileA(exe64.c_str()) != FALSE;
            error = deleted ? 0 : ::GetLastError();
            return deleted;
        })) << "could not delete "
            << exe64 << ": error " << error;
        ViewerSession viewer32(exe32);
        EXPECT_TRUE(IsWow64(viewer32.Process())) << "the viewer that shows is not the 32-bit one";
    }
}

} // namespace
} // namespace blackbox
