// The real main window, created in this test program over the fake system.

#include "main_window/frm_enum_procs.h"
#include "tests/kit/main_window_fixture.h"
#include "tests/labels.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstdlib>
#include <memory>
#include <utility>

using main_window::MainControl;

namespace {

bool QuitPosted() {
    MSG message;
    return ::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

class MainWindowTest : public ::testing::Test, protected testkit::FakeMainWindow {
protected:
    void SetUp() override {
        os.processes[0] = fake::MakeProcess("x", "x");
        os.processes[0].openError = ERROR_INVALID_PARAMETER;
        os.processes[412] = fake::MakeProcess("editor.exe", "C:\\Apps\\editor.exe");
        os.processes[36] = fake::MakeProcess("services.exe", "C:\\windows\\system32\\services.exe");
        os.processes[1234] = fake::MakeProcess("secret.exe", "C:\\secret.exe");
        os.processes[1234].openError = ERROR_ACCESS_DENIED;
    }

    RECT PixelRect(MainControl control) {
        RECT box;
        ::GetWindowRect(Get(control), &box);
        ::MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&box), 2);
        return box;
    }
};

LABELED_TEST_F("dpi", MainWindowTest, LaidOutInTwipsWithAFixedDialogFrame) {
    Open();
    HWND window = form->Handle();
    char caption[64] = {};
    ::GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Velmora Process Viewer");
    LONG style = ::GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);

    const app::TwipsScale& scale = form->Scale();
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, scale.ToPixels(9420));
    EXPECT_EQ(client.bottom, scale.ToPixels(8940));

    for (int i = 0; i < main_window::kMainControlCount; ++i) {
        const app::ControlSpec& layout = main_window::kMainControls[i];
        auto control = static_cast<MainControl>(i);
        ASSERT_NE(Get(control), nullptr) << layout.name;
        RECT box = PixelRect(control);
        EXPECT_EQ(box.left, scale.ToPixels(layout.rect.left)) << layout.name;
        EXPECT_EQ(box.top, scale.ToPixels(layout.rect.top)) << layout.name;
        if (layout.kind != app::ControlKind::FittingLabel) {
            EXPECT_EQ(box.right, scale.ToPixels(layout.rect.left + layout.rect.width))
                << layout.name;
            EXPECT_EQ(box.bottom, scale.ToPixels(layout.rect.top + layout.rect.height))
                << layout.name;
        }
    }
    // Labels that fit their text come out near the sizes of the Tahoma layout.
    RECT label3 = PixelRect(MainControl::Label3);
    EXPECT_NEAR(label3.right - label3.left, scale.ToPixels(1605), scale.ToPixels(300));
    EXPECT_EQ(Text(MainControl::Label3), "2GB=&&H8000 0000");
}

LABELED_TEST_F("dpi", MainWindowTest, FontIsTahomaNinePoint) {
    Open();
    auto font =
        reinterpret_cast<HFONT>(::SendMessageA(Get(MainControl::lstProcesses), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA logFont{};
    ::GetObjectA(font, sizeof logFont, &logFont);
    EXPECT_STREQ(logFont.lfFaceName, "Tahoma");
    EXPECT_EQ(logFont.lfHeight, -::MulDiv(9, form->Scale().Dpi(), 72));
    EXPECT_EQ(logFont.lfWeight, FW_NORMAL);
    EXPECT_EQ(logFont.lfCharSet, ANSI_CHARSET);
    EXPECT_FALSE(logFont.lfItalic || logFont.lfUnderline || logFont.lfStrikeOut);
    for (int i = 0; i < main_window::kMainControlCount; ++i) {
        EXPECT_EQ(::SendMessageA(form->Control(static_cast<MainControl>(i)), WM_GETFONT, 0, 0),
                  reinterpret_cast<LRESULT>(font));
    }
}

// The runs at other resolutions name theirs, so that the layout checks cannot quietly
// run at the default one.
LABELED_TEST_F("dpi", MainWindowTest, ScreenDpiIsTheOneTheRunAsksFor) {
    const char* expected = std::getenv("VELMORA_EXPECT_DPI");
    if (expected == nullptr) {
        GTEST_SKIP() << "VELMORA_EXPECT_DPI is not set";
    }
    EXPECT_EQ(app::TwipsScale::ForScreen().Dpi(), std::atoi(expected));
}

TEST_F(MainWindowTest, TabOrderVisitsButtonsListsAndTextBoxesInTableOrder) {
    Open();
    std::vector<HWND> expected;
    for (MainControl control :
         {MainControl::cmdRefresh, MainControl::cmdExit, MainControl::lstProcesses,
          MainControl::lstModules, MainControl::txtStatus, MainControl::lstDrivers,
          MainControl::txtFilePath, MainControl::txtVersionInfo, MainControl::cmdMemMap}) {
        expected.push_back(Get(control));
    }
    std::vector<HWND> visited;
    HWND at = Get(MainControl::cmdRefresh);
    for (size_t i = 0; i < expected.size(); ++i) {
        visited.push_back(at);
        at = ::GetNextDlgTabItem(form->Handle(), at, FALSE);
    }
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(at, Get(MainControl::cmdRefresh)); // and round again
}

TEST_F(MainWindowTest, FirstActivationRefreshes) {
    Open();
    EXPECT_EQ(os.calls["EnumProcesses"], 1);
    EXPECT_EQ(Text(MainControl::lblModules), "No modules");
    EXPECT_EQ(Text(MainControl::lblPageFaults), "Page Faults: ");
    EXPECT_EQ(Text(MainControl::lblWorkingSet), "Working Set Size: ");
    EXPECT_EQ(Text(MainControl::lblPageFile), "Page File Usage: ");
    EXPECT_EQ(Text(MainControl::lblProcesses), "4 Processes");
    EXPECT_EQ(Rows(MainControl::lstProcesses),
              (std::vector<std::string>{"0 - Idle Process ()", "36 - services.exe (normal)",
                                        "412 - editor.exe (normal)", "1234 -  ()"}));
    EXPECT_EQ(app::SelectedRow(Get(MainControl::lstProcesses)), -1);
    EXPECT_EQ(::GetFocus(), Get(MainControl::lstProcesses));
    EXPECT_EQ(os.OpenHandles(), 0);
}

TEST_F(MainWindowTest, RefreshRebuildsTheListAndKeepsTheStatusText) {
    Open();
    ::SendMessageA(Get(MainControl::lstProcesses), LB_SETCURSEL, 2, 0);
    form->lstProcesses_Click();
    EXPECT_EQ(Text(MainControl::txtStatus), "C:\\Apps\\editor.exe");
    os.processes.erase(36);
    os.processes[40] = fake::MakeProcess("new.exe", "C:\\new.exe", IDLE_PRIORITY_CLASS);
    Click(MainControl::cmdRefresh);
    EXPECT_EQ(Rows(MainControl::lstProcesses),
              (std::vector<std::string>{"0 - Idle Process ()", "40 - new.exe (idle)",
                                        "412 - editor.exe (normal)", "1234 -  ()"}));
    EXPECT_EQ(app::SelectedRow(Get(MainControl::lstProcesses)), -1);
    EXPECT_EQ(Text(MainControl::txtStatus), "C:\\Apps\\editor.exe");
    EXPECT_EQ(Text(MainControl::lblModules), "No modules");
}

TEST_F(MainWindowTest, EmptySnapshotShowsZeroAndLeavesTheFocus) {
    os.processes.clear();
    Open();
    EXPECT_EQ(Text(MainControl::lblProcesses), "0 Processes");
    EXPECT_EQ(app::RowCount(Get(MainControl::lstProcesses)), 0);
    EXPECT_EQ(::GetFocus(), Get(MainControl::cmdRefresh));
}

TEST_F(MainWindowTest, OnlyActivationsFromTheProgramsOwnFormsRefresh) {
    Open();
    ASSERT_EQ(os.calls["EnumProcesses"], 1);
    HWND window = form->Handle();
    // Another program's window: nothing runs.
    ::SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(::GetDesktopWindow()));
    ::SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(os.calls["EnumProcesses"], 1);
    // A message box of the program: nothing runs either.
    HWND box = ::CreateWindowExA(0, "#32770", "box", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    ::SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(os.calls["EnumProcesses"], 1);
    ::DestroyWindow(box);
    // Another form of the program, such as the memory map window: a refresh.
    HWND other = ::CreateWindowExA(0, "STATIC", "form", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    ::SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(other));
    EXPECT_EQ(os.calls["EnumProcesses"], 2);
    ::DestroyWindow(other);
}

TEST_F(MainWindowTest, ExitPromptAnsweredOkOpensThePublisherPage) {
    Open();
    os.messageBoxAnswers = {IDOK};
    Click(MainControl::cmdExit);
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    const fake::MessageBoxCall& box = os.messageBoxes[0];
    EXPECT_EQ(box.caption, "More Freeware");
    EXPECT_EQ(box.text.rfind("Get more free apps at ", 0), 0u);
    EXPECT_EQ(box.text.back(), '?');
    EXPECT_EQ(box.type & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_EQ(box.type & MB_ICONMASK, 0u);
    EXPECT_EQ(box.type & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON1));
    ASSERT_EQ(os.shellCalls.size(), 1u);
    const fake::ShellCall& shell = os.shellCalls[0];
    EXPECT_EQ(shell.owner, nullptr);
    EXPECT_EQ(shell.verb, "open");
    EXPECT_EQ(shell.file, main_window::kPublisherPage);
    EXPECT_FALSE(shell.hasParameters || shell.hasDirectory);
    EXPECT_EQ(shell.show, SW_SHOWNORMAL);
    EXPECT_EQ(form->Handle(), nullptr); // the window is gone
    EXPECT_TRUE(QuitPosted());
}

TEST_F(MainWindowTest, ExitPromptCancelledStillEndsWithoutThePage) {
    Open();
    os.messageBoxAnswers = {IDCANCEL};
    form->cmdExit_Click();
    EXPECT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_TRUE(os.shellCalls.empty());
    EXPECT_EQ(form->Handle(), nullptr);
    EXPECT_TRUE(QuitPosted());
}

// Close requests that come while the prompt waits (the close box clicked again,
// Close from the taskbar) find the exit sequence running and change nothing; a
// shell that fails ends the program as quietly as one that works.
TEST_F(MainWindowTest, CloseBoxRunsTheSameExitSequenceOnceWhateverTheShellDoes) {
    Open();
    os.messageBoxAnswers = {IDOK};
    HWND window = form->Handle();
    bool asked = false;
    os.Before("MessageBoxA", [&] {
        if (!std::exchange(asked, true)) {
            ::SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            ::SendMessageA(window, WM_CLOSE, 0, 0);
        }
    });
    os.Fail("ShellExecuteA", SE_ERR_DLLNOTFOUND);
    ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].caption, "More Freeware");
    EXPECT_EQ(os.shellCalls.size(), 1u);
    EXPECT_EQ(form->Handle(), nullptr);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(MainWindowTest, FailedEnumerationEndsTheProgramThroughTheErrorReport) {
    Open();
    ASSERT_EQ(app::RowCount(Get(MainControl::lstProcesses)), 4);
    os.processes[40] = fake::MakeProcess("new.exe", "C:\\new.exe");
    os.Fail("EnumProcesses", ERROR_ACCESS_DENIED);
    Click(MainControl::cmdRefresh);
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].caption, "Velmora Process Viewer");
    EXPECT_NE(os.messageBoxes[0].text.find("-2147192499"), std::string::npos);
    EXPECT_NE(os.messageBoxes[0].text.find("Error: 5(&H5): Access denied."), std::string::npos);
    EXPECT_TRUE(QuitPosted());
    // The cycle stopped at the snapshot: the list keeps its rows.
    EXPECT_EQ(app::RowCount(Get(MainControl::lstProcesses)), 4);
    EXPECT_EQ(Text(MainControl::lblProcesses), "4 Processes");
}

} // namespace
