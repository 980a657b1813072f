// Selecting processes, modules and drivers in the real main window over the
// fake system, read back from the controls and the bar's pixels.

#include "main_window/frm_enum_procs.h"
#include "tests/kit/main_window_fixture.h"
#include "tests/kit/messages.h"
#include "tests/kit/text.h"
#include "tests/kit/window_reading.h"
#include "tests/labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using main_window::MainControl;
using testkit::PumpMessages;

namespace {

constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class DetailsTest : public ::testing::Test, protected testkit::FakeMainWindow {
protected:
    void SetUp() override {
        fake::Process editor = fake::MakeProcess("editor.exe", "C:\\Apps\\editor.exe");
        editor.modules.push_back({0x10000000, 0x100000, "lib.dll", "C:\\Apps\\lib.dll"});
        editor.modules.push_back({0x7C800000, 0xF6000, "kernel32.dll", "C:\\W\\kernel32.dll"});
        editor.modules.push_back({0x7C900000, 0xB2000, "ntdll.dll", "C:\\W\\ntdll.dll"});
        editor.modules.push_back({0x20000000, 0x10000, "small.dll", "C:\\Apps\\small.dll"});
        editor.counters.PageFaultCount = 0;
        editor.counters.WorkingSetSize = 1234567;
        editor.counters.PagefileUsage = 0x80000000u;
        os.processes[412] = editor;
        fake::Process other = fake::MakeProcess("other.exe", "C:\\other.exe");
        other.counters.WorkingSetSize = 4096;
        other.counters.PagefileUsage = 8192;
        other.counters.PageFaultCount = 12;
        os.processes[500] = other;
        os.drivers = {{0x80000000u, "\\SystemRoot\\ntoskrnl.exe"},
                      {0xF7A5C000u, "\\SystemRoot\\k.sys"}};
        Open();
        form->cmdRefresh_Click(); // whether or not the system activated the window
    }

    int Px(int twips) { return form->Scale().ToPixels(twips); }
    // What the window shows now.
    testkit::ClientPixels Screen() { return testkit::ClientPixels(form->Handle()); }
    COLORREF Pixel(int x, int y) { return Screen().At(x, y); }
    // The pixel at the middle height of the bar, `twips` from the client's left edge.
    COLORREF BarAt(int twipsX, int twipsY = 8040 + 600) { return Pixel(Px(twipsX), Px(twipsY)); }
    // Pixels in the inclusive rectangle that are not `colour`.
    int NotOfColour(int left, int top, int right, int bottom, COLORREF colour) {
        testkit::ClientPixels screen = Screen();
        int count = 0;
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                count += screen.At(x, y) != colour;
            }
        }
        return count;
    }
    // The length of the run of one colour that starts at pixel x on a row.
    int RunFrom(int x, int y) {
        testkit::ClientPixels screen = Screen();
        COLORREF colour = screen.At(x, y);
        int length = 1;
        while (screen.At(x + length, y) == colour) {
            ++length;
        }
        return length;
    }
    // Every pixel the bar may paint, row by row.
    std::vector<COLORREF> BarPicture() {
        testkit::ClientPixels screen = Screen();
        RECT area = form->Scale().ToPixels(testkit::BarPaintArea(main_window::kRectMem));
        std::vector<COLORREF> pixels;
        for (int y = area.top; y <= area.bottom; ++y) {
            for (int x = area.left; x <= area.right; ++x) {
                pixels.push_back(screen.At(x, y));
            }
        }
        return pixels;
    }
    // What a selection in the module or the driver list may change.
    struct Shown {
        std::string filePath;
        std::string versionInfo;
        std::string status;
        int module;
        int driver;
        std::vector<COLORREF> bar;
        bool operator==(const Shown&) const = default;
    };
    Shown Now() {
        return {Text(MainControl::txtFilePath),
                Text(MainControl::txtVersionInfo),
                Text(MainControl::txtStatus),
                app::SelectedRow(Get(MainControl::lstModules)),
                app::SelectedRow(Get(MainControl::lstDrivers)),
                BarPicture()};
    }
};

constexpr char kLongName[] = "a-process-with-a-name-longer-than-its-list.exe";

// Checks that the list, scrolled fully to the right, shows the end of its widest row,
// and returns that row.
std::string CheckWidestRowEndShows(HWND list) {
    sys::WindowDc dc(list);
    sys::SelectedObject font(dc.Get(),
                             reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    std::string widestRow;
    for (int row = 0; row < app::RowCount(list); ++row) {
        std::string text = app::RowText(list, row);
        SIZE size{0, 0};
        ::GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        if (size.cx > widest) {
            widest = size.cx;
            widestRow = text;
        }
    }
    RECT client; // less the scroll bar
    ::GetClientRect(list, &client);
    EXPECT_GT(widest, client.right) << widestRow;
    EXPECT_GE(::SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), widest) << widestRow;
    // The list draws its text a pixel in from the edge.
    EXPECT_LE(1 + widest - ::GetScrollPos(list, SB_HORZ), client.right) << widestRow;
    return widestRow;
}

// A 64-bit module row and a long process name, each wider than its list.
LABELED_TEST_F("dpi", DetailsTest, TheWidestRowOfAListScrollsIntoView) {
    os.processes[604] = fake::MakeProcess(kLongName, "C:\\long.exe");
    fake::Process big = fake::MakeProcess("big.exe", "C:\\big.exe");
    big.is64Bit = true;
    big.modules.front().base = 0x7FF612340000;
    big.modules.push_back({0x7FFB12340000, 0x5E5000, "kernelbase.dll", "C:\\W\\kernelbase.dll"});
    os.processes[600] = big;
    form->cmdRefresh_Click();
    Select(MainControl::lstProcesses, RowOf(600));
    for (MainControl list : {MainControl::lstProcesses, MainControl::lstModules}) {
        ::SendMessageA(Get(list), WM_HSCROLL, SB_RIGHT, 0);
    }
    EXPECT_EQ(CheckWidestRowEndShows(Get(MainControl::lstProcesses)),
              "604 - " + std::string(kLongName) + " (normal)");
    if (sys::kEditionWidth == sys::AddressWidth::Bits64) {
        EXPECT_EQ(CheckWidestRowEndShows(Get(MainControl::lstModules)),
                  "kernelbase.dll @ 7FFB12340000: 5E5000 (6,180,864)");
    }
    form->cmdRefresh_Click(); // empties the module list, which no longer scrolls sideways
    EXPECT_EQ(::SendMessageA(Get(MainControl::lstModules), LB_GETHORIZONTALEXTENT, 0, 0), 0);
}

TEST_F(DetailsTest, SelectingAProcessShowsPathCountersAndModules) {
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    HCURSOR during = nullptr;
    os.Before("ReadProcessMemory", [&] { during = ::GetCursor(); });
    Select(MainControl::lstProcesses, RowOf(412));
    // The hourglass while its modules are read, the cursor from before once they are.
    EXPECT_EQ(during, ::LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(Text(MainControl::txtStatus), "C:\\Apps\\editor.exe");
    EXPECT_EQ(Text(MainControl::lblPageFaults), "Page Faults: ");
    EXPECT_EQ(Text(MainControl::lblWorkingSet), "Working Set Size: 1,234,567");
    EXPECT_EQ(Text(MainControl::lblPageFile), "Page File Usage: 2,147,483,648");
    ASSERT_EQ(app::RowCount(Get(MainControl::lstModules)), 5);
    EXPECT_EQ(app::RowText(Get(MainControl::lstModules), 0),
              "editor.exe @ 400000: 1A000 (106,496)");
    EXPECT_EQ(app::RowText(Get(MainControl::lstModules), 4),
              "ntdll.dll @ 7C900000: B2000 (729,088)");
    EXPECT_EQ(Text(MainControl::lblModules), "5 Modules taking 2,957,312 bytes");
    EXPECT_EQ(os.OpenHandles(), 0);
}

// A selection whose queries fail shows nothing of the process selected before it:
// editor.exe is selected and its lib.dll marked, then other.exe with one failure.
TEST_F(DetailsTest, AFailedSelectionLeavesNothingOfThePreviousProcess) {
    struct Case {
        const char* what;
        void (*fail)(fake::FakeOs&);
        const char* status; // its start
        const char* counters[3];
    } cases[] = {
        {"the process cannot be opened",
         [](fake::FakeOs& os) { os.processes[500].openError = ERROR_ACCESS_DENIED; },
         "C:\\other.exe", // from the snapshot
         {"Page Faults: ", "Working Set Size: ", "Page File Usage: "}},
        {"its counters cannot be read",
         [](fake::FakeOs& os) { os.Fail("GetProcessMemoryInfo", ERROR_ACCESS_DENIED); },
         "Error: 5(&H5): Access denied.",
         {"Page Faults: ", "Working Set Size: ", "Page File Usage: "}},
        {"its modules cannot be listed",
         [](fake::FakeOs& os) { os.processes[500].modulesError = ERROR_PARTIAL_COPY; },
         "Error: 299(&H12B): ",
         {"Page Faults: 12", "Working Set Size: 4,096", "Page File Usage: 8,192"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        os.ClearFailures();
        os.processes[500].openError = 0;
        os.processes[500].modulesError = 0;
        Select(MainControl::lstProcesses, RowOf(412));
        Select(MainControl::lstModules, 1); // lib.dll: its path, its version line, its mark
        ASSERT_NE(Text(MainControl::txtVersionInfo), "");
        c.fail(os);
        Select(MainControl::lstProcesses, RowOf(500));
        EXPECT_EQ(Text(MainControl::txtStatus).rfind(c.status, 0), 0u)
            << Text(MainControl::txtStatus);
        EXPECT_EQ(Text(MainControl::lblPageFaults), c.counters[0]);
        EXPECT_EQ(Text(MainControl::lblWorkingSet), c.counters[1]);
        EXPECT_EQ(Text(MainControl::lblPageFile), c.counters[2]);
        EXPECT_EQ(Text(MainControl::lblModules), "No modules");
        EXPECT_EQ(app::RowCount(Get(MainControl::lstModules)), 0);
        EXPECT_EQ(Text(MainControl::txtFilePath), "");
        EXPECT_EQ(Text(MainControl::txtVersionInfo), "");
        EXPECT_EQ(BarAt(188), kGrey);                       // no module boxes left on the bar
        EXPECT_EQ(BarAt(180 + 570 + 1, 8040 + 780), kGrey); // nor lib.dll's mark
        EXPECT_EQ(os.OpenHandles(), 0);
    }
}

TEST_F(DetailsTest, DriversListedAndDrawnAfterTheNextRedraw) {
    EXPECT_EQ(Text(MainControl::lblDrivers), "2 Drivers");
    EXPECT_EQ(app::RowText(Get(MainControl::lstDrivers), 0),
              testkit::DriverRow("ntoskrnl.exe", "8000 0000"));
    EXPECT_EQ(app::RowText(Get(MainControl::lstDrivers), 1),
              testkit::DriverRow("k.sys", "F7A5 C000"));
    Select(MainControl::lstProcesses, RowOf(500));
    // The driver at 2 GB is a red box under the black tick's lower half.
    EXPECT_EQ(BarAt(4746 + 5, 8040 + 600), kRed);
    EXPECT_EQ(BarAt(4746 + 5, 8040 + 100), kBlack);
    EXPECT_EQ(BarAt(180 + 8834 + 5), kBlue); // second driver
}

LABELED_TEST_F("dpi", DetailsTest, EmptyBarIsAGreyFieldInABlackFrameWithThreeTicks) {
    os.drivers.clear();
    form->cmdRefresh_Click(); // reads no drivers
    form->cmdRefresh_Click(); // and paints the bar without them
    int left = Px(180), top = Px(8040), right = Px(180 + 9132), bottom = Px(8040 + 732);
    EXPECT_EQ(NotOfColour(left, top, right, top, kBlack), 0);
    EXPECT_EQ(NotOfColour(left, bottom, right, bottom, kBlack), 0);
    EXPECT_EQ(NotOfColour(left, top, left, bottom, kBlack), 0);
    EXPECT_EQ(NotOfColour(right, top, right, bottom, kBlack), 0);
    // The ticks hang from the frame down to half the bar's height; below them all is grey,
    // down through the strip under the frame.
    int tickBottom = Px(8040 + 366);
    EXPECT_EQ(NotOfColour(left + 1, tickBottom + 1, right - 1, bottom - 1, kGrey), 0);
    EXPECT_EQ(NotOfColour(left, bottom + 1, right, Px(8040 + 832), kGrey), 0);
    int greyFrom = left + 1;
    for (int tick : {2463, 4746, 7029}) {
        EXPECT_EQ(NotOfColour(greyFrom, top + 1, Px(tick) - 1, tickBottom, kGrey), 0) << tick;
        EXPECT_EQ(NotOfColour(Px(tick), top + 1, Px(tick + 20), tickBottom, kBlack), 0) << tick;
        greyFrom = Px(tick + 20) + 1;
    }
    EXPECT_EQ(NotOfColour(greyFrom, top + 1, right - 1, tickBottom, kGrey), 0);
}

LABELED_TEST_F("dpi", DetailsTest, BarShowsModulesAndDriversAtTheirScaledAddresses) {
    os.drivers.push_back({0xFFFFF000u, "\\SystemRoot\\top.sys"});
    form->cmdRefresh_Click();
    Select(MainControl::lstProcesses, RowOf(412));
    int row = Px(8040 + 600);
    // editor.exe at 4 MB, module 1: 8 twips in, its first pixel the one of 188 twips; the
    // frame's column left of it stays.
    EXPECT_EQ(BarAt(188), kRed);
    EXPECT_NE(Pixel(Px(188) - 1, row), kRed);
    EXPECT_EQ(Pixel(Px(180), row), kBlack);
    // lib.dll at 256 MB, module 2: 1 MB is 2 twips.
    EXPECT_EQ(BarAt(180 + 570), kBlue);
    EXPECT_EQ(Pixel(Px(180 + 570) - 1, row), kGrey);
    EXPECT_EQ(RunFrom(Px(180 + 570), row), Px(180 + 570 + 2) - Px(180 + 570) + 1);
    // small.dll at 512 MB, module 3: 64 KB is 0 twips, one pixel.
    EXPECT_EQ(BarAt(180 + 1141), kRed);
    EXPECT_EQ(Pixel(Px(180 + 1141) - 1, row), kGrey);
    EXPECT_EQ(RunFrom(Px(180 + 1141), row), 1);
    // The third driver, at 0xFFFFF000, is red again and runs 9 twips past the bar's end:
    // over the frame's right edge, and from 120 DPI on one pixel beyond it.
    EXPECT_EQ(BarAt(180 + 9131), kRed);
    EXPECT_EQ(RunFrom(Px(180 + 9131), row), Px(180 + 9131 + 10) - Px(180 + 9131) + 1);
    EXPECT_EQ(Pixel(Px(180 + 9132), row), kRed);
    EXPECT_EQ(BarAt(1000), kGrey);
    EXPECT_EQ(BarAt(3000, 8040 + 780), kGrey); // the strip below the bar
}

LABELED_TEST_F("dpi", DetailsTest, BarSurvivesBeingCoveredAndRepainted) {
    Select(MainControl::lstProcesses, RowOf(412));
    Select(MainControl::lstModules, 1);
    PumpMessages();
    std::vector<COLORREF> before = BarPicture();
    EXPECT_EQ(BarAt(180 + 570 + 1, 8040 + 780), kWhite); // lib.dll's mark
    // Under Wine each top-level window keeps its own surface, so a popup going away
    // repaints nothing below it; a child window draws on the form's surface, and taking
    // it away leaves the form to repaint that part itself.
    RECT bar = form->Scale().ToPixels(testkit::BarPaintArea(main_window::kRectMem));
    HWND cover =
        ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT, bar.left - 5,
                          bar.top - 5, bar.right - bar.left + 10, bar.bottom - bar.top + 10,
                          form->Handle(), nullptr, nullptr, nullptr);
    ASSERT_NE(cover, nullptr);
    ::SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PumpMessages();
    EXPECT_EQ(Pixel(bar.left + 1, bar.top + 1), kWhite);
    ::DestroyWindow(cover);
    RECT exposed{};
    ASSERT_TRUE(::GetUpdateRect(form->Handle(), &exposed, FALSE));
    RECT both;
    ::UnionRect(&both, &exposed, &bar);
    EXPECT_TRUE(::EqualRect(&both, &exposed)); // the whole bar is to be repainted
    PumpMessages();
    EXPECT_EQ(BarPicture(), before);
}

LABELED_TEST_F("dpi", DetailsTest, OnlyTheLastSelectedModuleIsMarked) {
    Select(MainControl::lstProcesses, RowOf(412));
    Select(MainControl::lstModules, 1);                  // lib.dll
    EXPECT_EQ(BarAt(180 + 570 + 1, 8040 + 780), kWhite); // down into the strip
    Select(MainControl::lstModules, 0);                  // editor.exe
    EXPECT_EQ(BarAt(180 + 570 + 1, 8040 + 780), kGrey);
    EXPECT_EQ(BarAt(180 + 570 + 1), kBlue);
    EXPECT_EQ(BarAt(188, 8040 + 780), kWhite);
    EXPECT_EQ(Text(MainControl::txtFilePath), "C:\\Apps\\editor.exe");
}

TEST_F(DetailsTest, ModuleAndDriverSelectionsExcludeEachOther) {
    Select(MainControl::lstProcesses, RowOf(412));
    Select(MainControl::lstModules, 2);
    Select(MainControl::lstDrivers, 0);
    EXPECT_EQ(app::SelectedRow(Get(MainControl::lstModules)), -1);
    EXPECT_EQ(Text(MainControl::txtFilePath), "\\SystemRoot\\ntoskrnl.exe");
    EXPECT_EQ(Text(MainControl::txtVersionInfo), "");
    // The driver mark: 10 twips wide over the 2 GB tick, whose upper half stays black.
    EXPECT_EQ(BarAt(4746 + 5, 8040 + 600), kWhite);
    EXPECT_EQ(BarAt(4746 + 5, 8040 + 780), kWhite);
    EXPECT_EQ(BarAt(4746 + 5, 8040 + 100), kBlack);
    // A selection event while the other list holds the selection changes nothing.
    Shown driverShown = Now();
    Select(MainControl::lstModules, -1);
    EXPECT_TRUE(Now() == driverShown);
    Select(MainControl::lstModules, 2);
    EXPECT_EQ(app::SelectedRow(Get(MainControl::lstDrivers)), -1);
    EXPECT_EQ(BarAt(4746 + 5, 8040 + 780), kGrey);
    Shown moduleShown = Now();
    Select(MainControl::lstDrivers, -1);
    EXPECT_TRUE(Now() == moduleShown);
    // The driver side does not belong to the process.
    Select(MainControl::lstDrivers, 1);
    std::vector<std::string> driverRows{app::RowText(Get(MainControl::lstDrivers), 0),
                                        app::RowText(Get(MainControl::lstDrivers), 1)};
    Select(MainControl::lstProcesses, RowOf(500));
    EXPECT_EQ(app::RowCount(Get(MainControl::lstDrivers)), 2);
    EXPECT_EQ(app::RowText(Get(MainControl::lstDrivers), 0), driverRows[0]);
    EXPECT_EQ(app::RowText(Get(MainControl::lstDrivers), 1), driverRows[1]);
    EXPECT_EQ(app::SelectedRow(Get(MainControl::lstDrivers)), 1);
}

LABELED_TEST_F("dpi", DetailsTest, MarkingModuleThreeThenFiveLeavesOnlyFive) {
    Select(MainControl::lstProcesses, RowOf(412));
    Select(MainControl::lstModules, 2); // small.dll: 64 KB, a box of width 0
    int x3 = Px(180 + 1141);
    // One white pixel column from the bar's top into the strip, nothing beside it.
    testkit::ClientPixels screen = Screen();
    for (int y = Px(8040); y <= Px(8040 + 832); ++y) {
        EXPECT_EQ(screen.At(x3, y), kWhite) << y;
    }
    EXPECT_NE(screen.At(x3 + 1, Px(8040 + 780)), kWhite);
    EXPECT_NE(screen.At(x3 - 1, Px(8040 + 780)), kWhite);
    Select(MainControl::lstModules, 4); // ntdll.dll
    EXPECT_EQ(Pixel(x3, Px(8040 + 780)), kGrey);
    EXPECT_EQ(Pixel(x3, Px(8040 + 600)), kRed);
    EXPECT_EQ(BarAt(180 + 4443, 8040 + 780), kWhite); // 0x7C900000
    EXPECT_EQ(Text(MainControl::txtFilePath), "C:\\W\\ntdll.dll");
}

LABELED_TEST_F("dpi", DetailsTest, DriverMarkIsTenTwipsWideAndReachesTheStrip) {
    Select(MainControl::lstDrivers, 1); // k.sys at 0xF7A5C000, clear of the ticks
    int row = Px(8040 + 780);
    testkit::ClientPixels screen = Screen();
    int whiteWidth = 0;
    for (int x = Px(9000); x < Px(9100); ++x) {
        whiteWidth += screen.At(x, row) == kWhite;
    }
    EXPECT_EQ(whiteWidth, Px(9014 + 10) - Px(9014) + 1);
    int column = Px(9014 + 5);
    int whiteHeight = 0;
    for (int y = Px(7900); y < Px(9000); ++y) {
        whiteHeight += screen.At(column, y) == kWhite;
    }
    EXPECT_EQ(whiteHeight, Px(8040 + 832) - Px(8040) + 1);
}

// A 64-bit process: the bar stands for the whole gigabytes its modules span, the
// labels name those addresses, fit their texts, stay in the window and apart;
// the kernel's drivers lie off the bar. A 32-bit process and every refresh bring
// back the 4 GB bar and its labels.
LABELED_TEST_F("dpi", DetailsTest, A64BitProcessGetsABarOfItsOwnRangeWithLabelsApart) {
    if (sys::kEditionWidth != sys::AddressWidth::Bits64) {
        GTEST_SKIP() << "only the 64-bit edition reads a 64-bit process's addresses";
    }
    fake::Process big = fake::MakeProcess("big.exe", "C:\\big.exe");
    big.is64Bit = true;
    big.modules.front().base = 0x7FF612340000;
    big.counters.WorkingSetSize = static_cast<SIZE_T>(6000000000);
    big.modules.push_back({0x7FFB56780000, 0x40000000, "ntdll.dll", "C:\\W\\ntdll.dll"});
    os.processes[600] = big;
    os.drivers.push_back({0xFFFFF80212340000, "\\SystemRoot\\ntfs.sys"});
    form->cmdRefresh_Click();
    const main_window::MainControl labels[] = {MainControl::Label1, MainControl::Label4,
                                               MainControl::Label3, MainControl::Label5,
                                               MainControl::Label2};
    auto texts = [&] {
        std::vector<std::string> shown;
        for (MainControl label : labels) {
            shown.push_back(Text(label));
        }
        return shown;
    };
    const std::vector<std::string> fourGigabytes = texts();

    Select(MainControl::lstProcesses, RowOf(600));
    EXPECT_EQ(Text(MainControl::lblWorkingSet), "Working Set Size: 6,000,000,000");
    // S = 0x7FF600000000, E = 0x7FFBC0000000: 23 GB, quarters of 5.75 GB.
    EXPECT_EQ(texts(), (std::vector<std::string>{"&&H7FF6 0000 0000", "&&H7FF7 7000 0000",
                                                 "&&H7FF8 E000 0000", "&&H7FFA 5000 0000",
                                                 "&&H7FFB C000 0000"}));
    auto expectLabelsApart = [&] {
        RECT client;
        ::GetClientRect(form->Handle(), &client);
        LONG previousRight = -1;
        for (MainControl label : labels) {
            RECT frame;
            ::GetWindowRect(Get(label), &frame);
            ::MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&frame), 2);
            EXPECT_GT(frame.left, previousRight) << Text(label);
            EXPECT_GE(frame.left, 0) << Text(label);
            EXPECT_LE(frame.right, client.right) << Text(label);
            // The label is as wide as its text in its own font, so nothing is cut.
            sys::WindowDc dc(Get(label));
            sys::SelectedObject font(
                dc.Get(), reinterpret_cast<HFONT>(::SendMessageA(Get(label), WM_GETFONT, 0, 0)));
            RECT text{0, 0, 0, 0};
            ::DrawTextA(dc.Get(), Text(label).c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
            EXPECT_GE(frame.right - frame.left, text.right) << Text(label);
            previousRight = frame.right;
        }
    };
    expectLabelsApart();
    const int runDpi = form->Scale().Dpi();
    testkit::MoveToDpi(form->Handle(), runDpi, runDpi == 144 ? 96 : 144);
    expectLabelsApart(); // placed again for the new widths
    // ntdll.dll at (0x7FFB56780000 - S) / 23 GB of the width; no box for the kernel's driver.
    int ntdll = static_cast<int>((0x7FFB56780000 - 0x7FF600000000) / 23.0 / (1 << 30) * 9132);
    EXPECT_EQ(BarAt(180 + ntdll + 2), kBlue);
    EXPECT_EQ(BarAt(4746 + 5, 8040 + 600), kGrey); // the driver at 2 GB is off this bar
    Select(MainControl::lstDrivers, 2);
    EXPECT_EQ(NotOfColour(Px(180), Px(8040 + 732 + 1), Px(9312), Px(8040 + 832), kWhite),
              (Px(9312) - Px(180) + 1) * (Px(8040 + 832) - Px(8040 + 732 + 1) + 1))
        << "a driver off the bar gets no mark";
    // ntdll.dll's mark is as wide as its 1 GB: 9132 / 23 twips, rounded down.
    Select(MainControl::lstModules, 1);
    EXPECT_EQ(RunFrom(Px(180 + ntdll), Px(8040 + 780)),
              Px(180 + ntdll + 397) - Px(180 + ntdll) + 1);

    Select(MainControl::lstProcesses, RowOf(412));
    EXPECT_EQ(texts(), fourGigabytes);
    RECT frame;
    ::GetWindowRect(Get(MainControl::Label4), &frame);
    ::MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&frame), 2);
    EXPECT_EQ(frame.left, Px(1980));
    Select(MainControl::lstProcesses, RowOf(600));
    form->cmdRefresh_Click();
    EXPECT_EQ(texts(), fourGigabytes);
}

// Moved to a monitor of another DPI and back, the window is laid out as if made at
// each, the bar's picture made again with the selected module's mark; texts,
// selections and the process list's scroll place stay.
LABELED_TEST_F("dpi", DetailsTest, ADpiChangeLaysTheWindowOutAsIfMadeThere) {
    for (DWORD pid = 1000; pid < 1000 + 4 * 60; pid += 4) {
        os.processes[pid] = fake::MakeProcess(kLongName, "C:\\p.exe");
    }
    form->cmdRefresh_Click();
    Select(MainControl::lstProcesses, RowOf(412));
    Select(MainControl::lstModules, 4); // ntdll.dll at 0x7C900000
    HWND processes = Get(MainControl::lstProcesses);
    ::SendMessageA(processes, LB_SETTOPINDEX, 20, 0);
    ::SendMessageA(processes, WM_HSCROLL, SB_RIGHT, 0);
    auto looks = [&] {
        auto shown = testkit::Looks(form->Handle(), main_window::kFirstControlId,
                                    main_window::kMainControlCount);
        shown.push_back(std::to_string(::SendMessageA(processes, LB_GETTOPINDEX, 0, 0)) + " " +
                        std::to_string(app::SelectedRow(processes)) + " " +
                        std::to_string(app::SelectedRow(Get(MainControl::lstModules))));
        return shown;
    };
    const std::vector<std::string> made = looks();
    const std::vector<COLORREF> picture = BarPicture();
    const int runDpi = form->Scale().Dpi();
    const int otherDpi = runDpi == 144 ? 96 : 144;

    const RECT frame = testkit::MoveToDpi(form->Handle(), runDpi, otherDpi);
    std::vector<std::string> expected =
        testkit::LooksAt(main_window::kMainControls.data(), app::TwipsScale(otherDpi),
                         std::vector<std::string>(made.begin(), made.end() - 1));
    expected.push_back(made.back());
    EXPECT_EQ(looks(), expected);
    EXPECT_EQ(BarAt(180 + 4443, 8040 + 780), kWhite); // ntdll.dll's mark
    EXPECT_EQ(BarAt(180 + 9132), kBlack);             // the frame's right end
    CheckWidestRowEndShows(processes);                // measured again, still scrolled to the end

    testkit::SendDpiChanged(form->Handle(), runDpi, frame);
    EXPECT_EQ(looks(), made);
    EXPECT_EQ(BarPicture(), picture);
}

TEST_F(DetailsTest, EachRefreshRebuildsTheDriverList) {
    os.drivers = {{0x0000A000u, "x.sys"}};
    form->cmdRefresh_Click();
    EXPECT_EQ(Text(MainControl::lblDrivers), "1 Drivers");
    EXPECT_EQ(Rows(MainControl::lstDrivers),
              std::vector<std::string>{testkit::DriverRow("x.sys", "0000 A000")});
}

} // namespace
