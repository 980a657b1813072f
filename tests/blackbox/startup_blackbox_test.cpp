// The viewer as a user first meets it: the process list, the list rebuilt by
// Refresh and F5, and the way out through the exit prompt.

#include "main_window/frm_enum_procs.h"
#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/remote_window.h"
#include "tests/blackbox/row_text.h"
#include "tests/blackbox/system_view.h"
#include "tests/blackbox/viewer_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace blackbox {
namespace {

using main_window::MainControl;

bool Lists(const std::vector<std::string>& rows, const std::string& row) {
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

std::string RowFor(DWORD processId, const std::string& name) {
    return std::to_string(processId) + " - " + name + " (normal)";
}

// The rows "<id> - <name> (normal)" for processes of this exe name.
int RowsNamed(const std::vector<std::string>& rows, const std::string& name) {
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [&](const std::string& row) {
        auto id = LeadingProcessId(row);
        return id && EqualIgnoringCase(row, RowFor(*id, name)) && EndsWith(row, " (normal)");
    }));
}

// Wine's own processes, as Linux sees them (not through the interface the viewer
// itself uses), each listed once with its name and priority.
void ExpectWineServiceRows(const std::vector<std::string>& rows) {
    auto seen = WineProcessesSeenByLinux(
        {"services.exe", "winedevice.exe", "explorer.exe", "plugplay.exe"});
    for (const char* always : {"services.exe", "winedevice.exe", "plugplay.exe"}) {
        EXPECT_GT(seen[always], 0) << "Linux shows no " << always << " of this Wine session";
    }
    for (const auto& [name, count] : seen) {
        EXPECT_EQ(RowsNamed(rows, name), count) << "rows for " << name;
    }
}

std::string ViewerExeName() { return ViewerPath().substr(ViewerPath().find_last_of('\\') + 1); }

void ExpectCountMatchesRows(const ViewerSession& viewer) {
    EXPECT_EQ(viewer.Text(MainControl::lblProcesses),
              std::to_string(viewer.Rows(MainControl::lstProcesses).size()) + " Processes");
}

TEST(StartUp, ListsEveryProcessInAscendingIdOrderWithNameAndPriority) {
    ViewerSession viewer;
    std::vector<std::string> rows = viewer.Rows(MainControl::lstProcesses);
    ExpectCountMatchesRows(viewer);
    std::vector<uint32_t> ids;
    for (const std::string& row : rows) {
        auto id = LeadingProcessId(row);
        ASSERT_TRUE(id.has_value()) << "row without an id: " << row;
        ids.push_back(*id);
    }
    EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<>()) == ids.end())
        << "ids not strictly ascending";
    if (RunningUnderWine()) {
        ExpectWineServiceRows(rows);
    }
    EXPECT_TRUE(Lists(rows, RowFor(viewer.Id(), ViewerExeName())));
    EXPECT_TRUE(Lists(rows, RowFor(::GetCurrentProcessId(), OwnExeName())));
}

// On 64-bit Windows most processes are 64-bit, and this 32-bit viewer cannot read
// their module lists; their rows still name them.
TEST(StartUp, EveryProcessTheViewerCanOpenHasANameAndAPriority) {
    ViewerSession viewer;
    int opened = 0;
    for (const std::string& row : viewer.Rows(MainControl::lstProcesses)) {
        auto id = LeadingProcessId(row);
        ASSERT_TRUE(id.has_value()) << row;
        UniqueHandle process(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, *id));
        if (!process) {
            continue;
        }
        ++opened;
        EXPECT_FALSE(StartsWith(row, std::to_string(*id) + " -  (")) << "no name: " << row;
        EXPECT_FALSE(EndsWith(row, " ()")) << "no priority: " << row;
    }
    EXPECT_GT(opened, 2);
}

TEST(StartUp, RefreshListsAProcessStartedLaterAndF5DropsOneThatEnded) {
    ViewerSession viewer;
    HelperProcess late;
    EXPECT_EQ(viewer.RowOfProcess(late.Id()), -1) << "listed before any Refresh";
    PostClick(viewer.Control(MainControl::cmdRefresh));
    viewer.WaitFor("the new process listed after Refresh",
                   [&] { return viewer.RowOfProcess(late.Id()) >= 0; });
    WaitUntilIdle(viewer.Main());
    EXPECT_TRUE(Lists(viewer.Rows(MainControl::lstProcesses), RowFor(late.Id(), OwnExeName())));
    ExpectCountMatchesRows(viewer);

    viewer.SelectProcess(late.Id());
    ASSERT_GT(RowCount(viewer.Control(MainControl::lstModules)), 0);
    late.End();
    PressKey(viewer.Control(MainControl::lstProcesses), VK_F5);
    viewer.WaitFor("the ended process gone after F5",
                   [&] { return viewer.RowOfProcess(late.Id()) < 0; });
    WaitUntilIdle(viewer.Main());
    ExpectCountMatchesRows(viewer);
}

// A close request that comes while the prompt waits: sent, so that it has been
// handled when this returns (a second prompt would hold it until the time runs out).
void RequestCloseAgain(HWND main, UINT message, WPARAM wParam) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(main, message, wParam, 0, SMTO_NORMAL, 3000, &result);
}

// The close box asks once, however often the user closes while the prompt waits, and
// either answer ends the viewer. (The Exit button and the rest of the sequence are
// the window tests'.)
TEST(Exit, ClosingTheWindowAsksOnceAndEitherAnswerEndsTheViewer) {
    for (int answer : {IDOK, IDCANCEL}) {
        ViewerSession viewer;
        ::PostMessageW(viewer.Main(), WM_CLOSE, 0, 0);
        HWND prompt = viewer.WaitForMessageBox(main_window::kFreewareTitle);
        RequestCloseAgain(viewer.Main(), WM_CLOSE, 0);
        RequestCloseAgain(viewer.Main(), WM_SYSCOMMAND, SC_CLOSE);
        EXPECT_EQ(
            TopWindows(viewer.Id(), main_window::kFreewareTitle, WindowKind::MessageBox).size(), 1u)
            << "answer " << answer;
        EXPECT_EQ(MessageBoxText(prompt), main_window::kFreewareText);
        EXPECT_TRUE(::IsWindow(viewer.Main())) << "the main window went before the answer";
        ::PostMessageW(prompt, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        ASSERT_EQ(::WaitForSingleObject(viewer.Process(), kStepTimeoutMs), WAIT_OBJECT_0)
            << "the viewer still runs after answer " << answer;
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(viewer.Process(), &code);
        EXPECT_EQ(code, 0u);
    }
}

} // namespace
} // namespace blackbox
