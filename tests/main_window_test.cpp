// The real main window, created in this test program over the fake system.

#include "main_window/frm_enum_procs.h"
#include "tests/kit/main_window_fixture.h"
#include "tests/kit/messages.h"
#include "tests/kit/text.h"
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

LABELED_TEST_F("dpi", MainWindowTest, LaidOutWithAFixedFrameAndLabelsThatFitTheirText) {
    Open();
    HWND window = form->Handle();
    LONG style = ::GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    // The frame is sized around the client area, not the other way round.
    const app::TwipsScale& scale = form->Scale();
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, scale.ToPixels(9420));
    EXPECT_EQ(client.bottom, scale.ToPixels(8940));
    // Labels that fit their text come out near the sizes of the Tahoma layout.
    RECT label3 = PixelRect(MainControl::Label3);
    EXPECT_NEAR(label3.right - label3.left, scale.ToPixels(1605), scale.ToPixels(300));
    EXPECT_EQ(Text(MainControl::Label3), "2GB=&&H8000 0000");
}

LABELED_TEST_F("dpi", MainWindowTest, EveryControlDrawsWithTheWindowsNinePointTahoma) {
    Open();
    const std::string expected = testkit::Tahoma(90, form->Scale().Dpi());
    for (int i = 0; i < main_window::kMainControlCount; ++i) {
        EXPECT_EQ(testkit::FontOf(Get(static_cast<MainControl>(i))), expected)
            << main_window::kMainControls[i].name;
    }
}

TEST_F(MainWindowTest, OpensCentredOnTheWorkArea) {
    Open();
    RECT work;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    RECT frame;
    ::GetWindowRect(form->Handle(), &frame);
    EXPECT_NEAR(frame.left - work.left, work.right - frame.right, 1);
    EXPECT_NEAR(frame.top - work.top, work.bottom - frame.bottom, 1);
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

TEST_F(MainWindowTest, FirstActivationRefreshes) {
    Open();
    EXPECT_EQ(os.calls["EnumProcesses"], 1);
    EXPECT_EQ(Text(MainControl::txtStatus), "");
    EXPECT_EQ(Text(MainControl::lblModules), "No modules");
    EXPECT_EQ(app::RowCount(Get(MainControl::lstModules)), 0);
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

// Refresh rebuilds the list and empties the details of the selected process, but
// leaves its path in the status box.
TEST_F(MainWindowTest, RefreshRebuildsTheListAndKeepsTheStatusText) {
    os.processes[412].counters.WorkingSetSize = 4096;
    Open();
    Select(MainControl::lstProcesses, RowOf(412));
    EXPECT_EQ(Text(MainControl::txtStatus), "C:\\Apps\\editor.exe");
    EXPECT_EQ(Text(MainControl::lblWorkingSet), "Working Set Size: 4,096");
    os.processes.erase(36);
    os.processes[40] = fake::MakeProcess("new.exe", "C:\\new.exe", IDLE_PRIORITY_CLASS);
    Click(MainControl::cmdRefresh);
    EXPECT_EQ(Rows(MainControl::lstProcesses),
              (std::vector<std::string>{"0 - Idle Process ()", "40 - new.exe (idle)",
                                        "412 - editor.exe (normal)", "1234 -  ()"}));
    EXPECT_EQ(app::SelectedRow(Get(MainControl::lstProcesses)), -1);
    EXPECT_EQ(Text(MainControl::txtStatus), "C:\\Apps\\editor.exe");
    EXPECT_EQ(Text(MainControl::lblModules), "No modules");
    EXPECT_EQ(app::RowCount(Get(MainControl::lstModules)), 0);
    EXPECT_EQ(Text(MainControl::lblWorkingSet), "Working Set Size: ");

    // One that finds the same processes leaves the list as a refill does.
    Select(MainControl::lstProcesses, RowOf(1234));
    Click(MainControl::cmdRefresh);
    EXPECT_EQ(Rows(MainControl::lstProcesses).size(), 4u);
    EXPECT_EQ(app::SelectedRow(Get(MainControl::lstProcesses)), -1);
    EXPECT_EQ(::SendMessageA(Get(MainControl::lstProcesses), LB_GETTOPINDEX, 0, 0), 0);
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

// A minimised window is activated with the high word of wParam set, and must not
// take the focus then; restored, it gives the focus back to the control that had it.
TEST_F(MainWindowTest, ActivationWhileMinimisedLeavesTheFocusAlone) {
    Open();
    HWND window = form->Handle();
    ASSERT_EQ(::GetFocus(), Get(MainControl::lstProcesses));
    ::SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    ::SetFocus(Get(MainControl::cmdExit));
    ::SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, TRUE), 0);
    EXPECT_EQ(::GetFocus(), Get(MainControl::cmdExit));
    ::SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(::GetFocus(), Get(MainControl::lstProcesses));
}

// However the window is closed and whatever the prompt answers, the exit sequence
// runs once: close requests that come while the prompt waits (the close box clicked
// again, Close from the taskbar) change nothing, only OK opens the publisher's page,
// a failed prompt answers 0, and a shell that fails ends the program as quietly as
// one that works.
TEST_F(MainWindowTest, ClosingAsksOnceOpensThePageOnlyOnOkAndEnds) {
    using Request = void (*)(testkit::FakeMainWindow&);
    const Request exitButton = [](testkit::FakeMainWindow& w) { w.Click(MainControl::cmdExit); };
    const Request closeBox = [](testkit::FakeMainWindow& w) {
        ::SendMessageA(w.form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    };
    struct Case {
        const char* what;
        Request close;
        int answer; // 0: the prompt fails
        bool shellFails;
    } cases[] = {{"Exit, OK", exitButton, IDOK, false},
                 {"Exit, Cancel", exitButton, IDCANCEL, false},
                 {"close box, OK, the shell failing", closeBox, IDOK, true},
                 {"close box, the prompt failing", closeBox, 0, false}};
    HWND window = nullptr;
    bool asked = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        os.ResetCounts();
        os.ClearFailures();
        Open();
        window = form->Handle();
        asked = false;
        os.Before("MessageBoxA", [&] {
            if (!std::exchange(asked, true)) {
                ::SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
                ::SendMessageA(window, WM_CLOSE, 0, 0);
            }
        });
        if (c.answer == 0) {
            os.Fail("MessageBoxA", ERROR_NOT_ENOUGH_MEMORY);
        }
        os.messageBoxAnswers = {c.answer};
        if (c.shellFails) {
            os.Fail("ShellExecuteA", SE_ERR_DLLNOTFOUND);
        }
        c.close(*this);
        ASSERT_EQ(os.messageBoxes.size(), 1u);
        const fake::MessageBoxCall& box = os.messageBoxes[0];
        EXPECT_EQ(box.owner, window);
        EXPECT_EQ(box.caption, main_window::kFreewareTitle);
        EXPECT_EQ(box.type & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
        EXPECT_EQ(box.type & MB_ICONMASK, 0u);
        EXPECT_EQ(box.type & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON1));
        ASSERT_EQ(os.shellCalls.size(), c.answer == IDOK ? 1u : 0u);
        if (c.answer == IDOK) {
            const fake::ShellCall& shell = os.shellCalls[0];
            EXPECT_EQ(shell.owner, nullptr);
            EXPECT_EQ(shell.verb, "open");
            EXPECT_EQ(shell.file, main_window::kPublisherPage);
            EXPECT_FALSE(shell.hasParameters || shell.hasDirectory);
            EXPECT_EQ(shell.show, SW_SHOWNORMAL);
        }
        EXPECT_EQ(form->Handle(), nullptr); // the window is gone
        EXPECT_TRUE(QuitPosted());
    }
}

// A list box of a hundred thousand rows: indexes past 32,767 and a selection there.
TEST_F(MainWindowTest, AHundredThousandProcessesFillTheListAndTheLastOneSelects) {
    os.processes.clear();
    for (DWORD pid = 8; pid < 8 + 4 * 100000; pid += 4) {
        std::string name = "p" + std::to_string(pid) + ".exe";
        os.processes[pid] = fake::MakeProcess(name, "C:\\p\\" + name);
    }
    Open();
    EXPECT_EQ(Text(MainControl::lblProcesses), "100000 Processes");
    HWND list = Get(MainControl::lstProcesses);
    ASSERT_EQ(app::RowCount(list), 100000);
    EXPECT_EQ(app::RowText(list, 0), "8 - p8.exe (normal)");
    EXPECT_EQ(app::RowText(list, 99999), "400004 - p400004.exe (normal)");
    Select(MainControl::lstProcesses, 99999);
    EXPECT_EQ(Text(MainControl::txtStatus), "C:\\p\\p400004.exe");
    EXPECT_EQ(Text(MainControl::lblModules), "1 Modules taking 106,496 bytes");
}

// A failed driver or process enumeration ends the program through the error report
// at the window procedure's boundary: the refresh stops there (drivers are read
// first), and both lists keep their rows.
TEST_F(MainWindowTest, AFailedEnumerationEndsTheProgramThroughTheErrorReport) {
    os.drivers = {{0x0000A000u, "x.sys"}};
    for (const char* call : {"NtQuerySystemInformation", "EnumProcesses"}) {
        SCOPED_TRACE(call);
        os.ClearFailures();
        Open();
        ASSERT_EQ(app::RowCount(Get(MainControl::lstProcesses)), 4);
        os.ResetCounts();
        os.processes[40] = fake::MakeProcess("new.exe", "C:\\new.exe");
        os.Fail(call, ERROR_ACCESS_DENIED);
        Click(MainControl::cmdRefresh);
        ASSERT_EQ(os.messageBoxes.size(), 1u);
        EXPECT_EQ(os.messageBoxes[0].caption, "Velmora Process Viewer");
        EXPECT_NE(os.messageBoxes[0].text.find("-2147192499"), std::string::npos);
        EXPECT_NE(os.messageBoxes[0].text.find("Error: 5(&H5): Access denied."), std::string::npos);
        EXPECT_TRUE(QuitPosted());
        EXPECT_EQ(os.calls["EnumProcesses"], std::string(call) == "EnumProcesses" ? 1 : 0);
        EXPECT_EQ(app::RowCount(Get(MainControl::lstProcesses)), 4);
        EXPECT_EQ(Text(MainControl::lblProcesses), "4 Processes");
        EXPECT_EQ(Rows(MainControl::lstDrivers),
                  std::vector<std::string>{testkit::DriverRow("x.sys", "0000 A000")});
        os.processes.erase(40);
    }
}

} // namespace
