// The real memory map window in this test program, over the fake system.

#include "memory_map/frm_mem_map.h"
#include "tests/kit/fake_os.h"
#include "tests/kit/memory_map_fixture.h"
#include "tests/kit/messages.h"
#include "tests/labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using memory_map::frmMemMap;
using memory_map::MapControl;
using testkit::PumpMessages;

namespace {

class MemMapWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::ScriptMappedProcess(os); // as in the expected maps below
        form = std::make_unique<frmMemMap>(os, ::GetModuleHandleA(nullptr));
        form->Create(nullptr);
        ::ShowWindow(form->Handle(), SW_SHOWNORMAL);
        PumpMessages();
    }
    void TearDown() override {
        form.reset();
        PumpMessages();
    }
    std::string Caption() { return app::GetText(form->Handle()); }
    std::string Text(MapControl control) { return app::GetText(form->Control(control)); }
    RECT MapBox() {
        RECT box;
        ::GetWindowRect(form->Control(MapControl::txtMemMap), &box);
        return box;
    }

    fake::FakeOs os;
    std::unique_ptr<frmMemMap> form;
};

// The map itself, its caption and its free total are the fault sweep's baseline;
// here what the box does with it: tab stops for the columns, and the focus.
TEST_F(MemMapWindowTest, FullMapInTabbedColumnsWithTheFocusInTheBox) {
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    HCURSOR during = nullptr;
    os.Before("VirtualQueryEx", [&] { during = ::GetCursor(); });
    form->cmdMap_Click();
    // The hourglass while the regions are walked, the cursor from before once they are.
    EXPECT_EQ(during, ::LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(Caption(), "Memory Map: app.exe");
    EXPECT_EQ(::GetFocus(), form->Control(MapControl::txtMemMap));
    // The box's stops, read back from where it puts the text after each tab of a
    // line with four: 88, 128, 168 and 216 of one unit, from the line's start.
    HWND map = form->Control(MapControl::txtMemMap);
    std::string text = Text(MapControl::txtMemMap);
    size_t line = 0;
    auto tabsIn = [&](size_t at) {
        return std::count(text.begin() + at,
                          text.begin() + std::min(text.find('\r', at), text.size()), '\t');
    };
    while (tabsIn(line) < 4) {
        ASSERT_NE(text.find('\n', line), std::string::npos) << "no line of four columns";
        line = text.find('\n', line) + 1;
    }
    auto x = [&](size_t at) { return LOWORD(::SendMessageA(map, EM_POSFROMCHAR, at, 0)); };
    std::vector<int> stops;
    for (size_t tab = text.find('\t', line); stops.size() < 4; tab = text.find('\t', tab + 1)) {
        stops.push_back(x(tab + 1) - x(line));
    }
    double unit = stops[0] / 88.0;
    EXPECT_NEAR(stops[1], 128 * unit, 1.0);
    EXPECT_NEAR(stops[2], 168 * unit, 1.0);
    EXPECT_NEAR(stops[3], 216 * unit, 1.0);
}

TEST_F(MemMapWindowTest, UnopenableProcessReportsAndKeepsTheBoxes) {
    form->cmdMap_Click();
    std::string map = Text(MapControl::txtMemMap);
    os.processes[8].openError = ERROR_ACCESS_DENIED;
    testkit::HandToTheMemoryMap(8, "");
    form->cmdMap_Click();
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Error getting handle to process from process ID.");
    EXPECT_EQ(os.messageBoxes[0].caption, "Velmora Process Viewer");
    EXPECT_EQ(os.messageBoxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(Text(MapControl::txtMemMap), map);
    EXPECT_EQ(Text(MapControl::txtFree), "524286 free pages");
    EXPECT_EQ(Caption(), "Memory Map: "); // still set, with the empty name
}

// (That the clipboard is closed and the memory freed on every path is the fault sweep's.)
// The copy holds the program's text and, converted from its code page, Unicode;
// a failure at either is reported and leaves neither.
TEST_F(MemMapWindowTest, TheCopyIsTheTextAndUnicodeOrAReportedFailure) {
    form->cmdMap_Click();
    std::string map = Text(MapControl::txtMemMap);
    testkit::HandToTheMemoryMap(8, "caf\xC3\xA9.exe"); // UTF-8, as the program's text
    form->cmdToClip_Click();
    EXPECT_EQ(os.clipboardText, "Memory Map: caf\xC3\xA9.exe\r\n" + map);
    EXPECT_EQ(os.clipboardUnicode,
              L"Memory Map: caf\u00E9.exe\r\n" + std::wstring(map.begin(), map.end()));
    struct Failure {
        const char* call;
        int onCall; // 2: the Unicode copy's
    } failures[] = {{"OpenClipboard", 0},    {"GlobalAlloc", 0}, {"GlobalLock", 0},
                    {"SetClipboardData", 0}, {"GlobalAlloc", 2}, {"GlobalLock", 2},
                    {"SetClipboardData", 2}};
    for (const Failure& failure : failures) {
        SCOPED_TRACE(testing::Message() << failure.call << " #" << failure.onCall);
        os.ClearFailures();
        os.ResetCounts();
        os.clipboardText.clear();
        os.clipboardUnicode.clear();
        os.Fail(failure.call, ERROR_ACCESS_DENIED, failure.onCall);
        form->cmdToClip_Click();
        EXPECT_TRUE(os.clipboardText.empty() && os.clipboardUnicode.empty());
        ASSERT_EQ(os.messageBoxes.size(), 1u);
        EXPECT_EQ(os.messageBoxes[0].text.rfind("The memory map could not be copied to the "
                                                "clipboard.\r\nError: 5(&H5): Access denied.",
                                                0),
                  0u)
            << os.messageBoxes[0].text;
        EXPECT_EQ(os.messageBoxes[0].caption, "Velmora Process Viewer");
    }
}

// The map box has a smaller Tahoma of its own; the rest draw with the window's.
LABELED_TEST_F("dpi", MemMapWindowTest, TheMapBoxAloneDrawsWithSevenAndAHalfPointTahoma) {
    const int dpi = form->Scale().Dpi();
    for (int i = 0; i < memory_map::kMapControlCount; ++i) {
        auto control = static_cast<MapControl>(i);
        EXPECT_EQ(testkit::FontOf(form->Control(control)),
                  testkit::Tahoma(control == MapControl::txtMemMap ? 75 : 90, dpi))
            << "control " << i;
    }
}

LABELED_TEST_F("dpi", MemMapWindowTest, ResizeKeepsTheMarginAndNeverGoesToAThousandTwips) {
    const app::TwipsScale& scale = form->Scale();
    ::SetWindowPos(form->Handle(), nullptr, 0, 0, scale.ToPixels(12000), scale.ToPixels(9000),
                   SWP_NOZORDER | SWP_NOMOVE);
    RECT client;
    ::GetClientRect(form->Handle(), &client);
    RECT box = MapBox();
    ::MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&box), 2);
    EXPECT_NEAR(client.right - box.right, scale.ToPixels(100), 2);
    EXPECT_NEAR(client.bottom - box.bottom, scale.ToPixels(100), 2);
    RECT before = MapBox();
    // Too low for the rule (the height would be 1000 twips or less): only the width follows.
    ::SetWindowPos(form->Handle(), nullptr, 0, 0, scale.ToPixels(14000), scale.ToPixels(1500),
                   SWP_NOZORDER | SWP_NOMOVE);
    RECT after = MapBox();
    EXPECT_GT(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    ::ShowWindow(form->Handle(), SW_MINIMIZE); // a client area of 0 x 0
    RECT minimised = MapBox();
    EXPECT_EQ(minimised.right - minimised.left, after.right - after.left);
    EXPECT_EQ(minimised.bottom - minimised.top, after.bottom - after.top);
}

// Moved to a monitor of another DPI and back, the window is laid out as if made at
// each, the map box filling the window in its own smaller Tahoma; texts and the
// map's first shown line stay.
LABELED_TEST_F("dpi", MemMapWindowTest, ADpiChangeLaysTheWindowOutAsIfMadeThere) {
    std::vector<MEMORY_BASIC_INFORMATION> regions{fake::Region(0, 0x10000, MEM_FREE)};
    for (uint64_t page = 0x10000; page < 0x200000; page += 0x2000) {
        regions.push_back(fake::Region(page, 0x1000, MEM_COMMIT, MEM_PRIVATE, PAGE_READWRITE));
        regions.push_back(fake::Region(page + 0x1000, 0x1000, MEM_FREE));
    }
    regions.push_back(fake::Region(0x200000, 0x7FE00000, MEM_FREE));
    testkit::ScriptMappedProcess(os, regions);
    form->cmdMap_Click();
    const int runDpi = form->Scale().Dpi();
    const int otherDpi = runDpi == 144 ? 96 : 144;
    // Small enough to be 1.5 times as big on the screen.
    ::SetWindowPos(form->Handle(), nullptr, 0, 0, ::MulDiv(600, runDpi, 96),
                   ::MulDiv(400, runDpi, 96), SWP_NOZORDER | SWP_NOMOVE);
    HWND map = form->Control(MapControl::txtMemMap);
    ::SendMessageA(map, EM_LINESCROLL, 0, 150);
    const LRESULT firstLine = ::SendMessageA(map, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_GT(firstLine, 0);
    const auto mapIndex = static_cast<size_t>(MapControl::txtMemMap);
    auto looks = [&] {
        return testkit::Looks(form->Handle(), memory_map::kFirstMapControlId,
                              memory_map::kMapControlCount);
    };
    const std::vector<std::string> made = looks();

    const RECT frame = testkit::MoveToDpi(form->Handle(), runDpi, otherDpi);
    const app::TwipsScale other(otherDpi);
    RECT client;
    ::GetClientRect(form->Handle(), &client);
    memory_map::MapBoxSize size =
        memory_map::ResizedMapBox(static_cast<float>(other.ToTwips(client.right)),
                                  static_cast<float>(other.ToTwips(client.bottom)), {9732, 5592});
    auto specs = memory_map::kMapControls;
    specs[mapIndex].rect = {memory_map::kMapBoxLeft, memory_map::kMapBoxTop,
                            static_cast<int>(size.width), static_cast<int>(size.height)};
    std::vector<std::string> expected = testkit::LooksAt(specs.data(), other, made);
    const std::string dialogFont = testkit::Tahoma(90, otherDpi);
    expected[mapIndex].replace(expected[mapIndex].find(dialogFont), dialogFont.size(),
                               testkit::Tahoma(75, otherDpi));
    EXPECT_EQ(looks(), expected);
    EXPECT_EQ(::SendMessageA(map, EM_GETFIRSTVISIBLELINE, 0, 0), firstLine);

    testkit::SendDpiChanged(form->Handle(), runDpi, frame);
    EXPECT_EQ(looks(), made);
    EXPECT_EQ(::SendMessageA(map, EM_GETFIRSTVISIBLELINE, 0, 0), firstLine);
}

} // namespace
