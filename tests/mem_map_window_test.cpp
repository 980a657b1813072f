// The real memory map window in this test program, over the fake system.

#include "memory_map/frm_mem_map.h"
#include "memory_map/region_walk.h"
#include "system/bas_enum_procs.h"
#include "tests/fake_os.h"
#include "tests/kit/messages.h"
#include "tests/labels.h"

#include <gtest/gtest.h>

#include <memory>

using memory_map::frmMemMap;
using memory_map::MapControl;
using testkit::PumpMessages;

namespace {

class MemMapWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Process process = fake::MakeProcess("app.exe", "C:\\Apps\\app.exe");
        process.regions = {fake::Region(0, 0x10000, MEM_FREE),
                           fake::Region(0x10000, 0x1000, MEM_COMMIT, MEM_PRIVATE, PAGE_READWRITE),
                           fake::Region(0x11000, 0x3EF000, MEM_FREE),
                           fake::Region(0x400000, 0x1000, MEM_COMMIT, MEM_IMAGE, PAGE_READONLY),
                           fake::Region(0x401000, 0x7FBFF000, MEM_FREE)};
        os.processes[8] = process;
        basEnumProcs::lMemMapProcessID = 8;
        basEnumProcs::sMemMapProcessName = "app.exe";
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

TEST_F(MemMapWindowTest, FreshWindowThenFreeOnlyKeepsTheCaption) {
    EXPECT_EQ(Caption(), "qvoMemoryMap");
    EXPECT_EQ(Text(MapControl::txtMemMap), "");
    EXPECT_EQ(Text(MapControl::txtFree), "");
    form->cmdMapFree_Click();
    EXPECT_EQ(Caption(), "qvoMemoryMap");
    EXPECT_EQ(Text(MapControl::txtMemMap), "0 - FFFF\t16 pp\tFREE\r\n1 1000 - 3F FFFF\t1007 "
                                           "pp\tFREE\r\n40 1000 - 7FFF FFFF\t523263 pp\tFREE");
    EXPECT_EQ(Text(MapControl::txtFree), "524286 free pages");
    EXPECT_EQ(os.calls["SendMessageA"], 1); // the tab stops, through the system layer
    ASSERT_EQ(os.tabStops.size(), 1u);
    EXPECT_EQ(os.tabStops[0], (std::vector<INT>{88, 128, 168, 216}));
    EXPECT_EQ(os.OpenHandles(), 0);
}

TEST_F(MemMapWindowTest, FullMapSetsTheCaptionAndShowsTheWalk) {
    form->cmdMap_Click();
    EXPECT_EQ(Caption(), "Memory Map: app.exe");
    HANDLE process = os.OpenProcess(0x410, FALSE, 8);
    auto expected = memory_map::WalkRegions(os, process, memory_map::MapKind::AllRegions);
    os.CloseHandle(process);
    EXPECT_EQ(Text(MapControl::txtMemMap), expected.text);
    EXPECT_NE(
        expected.text.find("40 0000 - 40 0FFF\t1 pp\tCOMMIT\tIMAGE\tREADONLY\tC:\\Apps\\app.exe"),
        std::string::npos);
    EXPECT_EQ(Text(MapControl::txtFree), "524286 free pages");
    EXPECT_EQ(::GetFocus(), form->Control(MapControl::txtMemMap));
    EXPECT_EQ(os.OpenHandles(), 0);
    for (DWORD access : os.openAccessMasks) {
        EXPECT_EQ(access, 0x410u);
    }
}

TEST_F(MemMapWindowTest, UnopenableProcessReportsAndKeepsTheBoxes) {
    form->cmdMap_Click();
    std::string map = Text(MapControl::txtMemMap);
    os.processes[8].openError = ERROR_ACCESS_DENIED;
    basEnumProcs::sMemMapProcessName = "";
    form->cmdMap_Click();
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Error getting handle to process from process ID.");
    EXPECT_EQ(os.messageBoxes[0].caption, "Velmora Process Viewer");
    EXPECT_EQ(os.messageBoxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(Text(MapControl::txtMemMap), map);
    EXPECT_EQ(Text(MapControl::txtFree), "524286 free pages");
    EXPECT_EQ(Caption(), "Memory Map: "); // still set, with the empty name
}

TEST_F(MemMapWindowTest, ClipboardGetsTheHeaderAndTheMap) {
    form->cmdToClip_Click();
    EXPECT_EQ(os.clipboardText, "Memory Map: app.exe\r\n");
    form->cmdMap_Click();
    form->cmdToClip_Click();
    EXPECT_EQ(os.clipboardText, "Memory Map: app.exe\r\n" + Text(MapControl::txtMemMap));
    EXPECT_FALSE(os.ClipboardOpen());
    EXPECT_EQ(os.LiveGlobals(), 0);
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(MemMapWindowTest, ClipboardFailuresAreReportedAndCleanedUp) {
    for (const char* call : {"OpenClipboard", "GlobalAlloc", "GlobalLock", "SetClipboardData"}) {
        os.ClearFailures();
        os.messageBoxes.clear();
        os.Fail(call, ERROR_ACCESS_DENIED);
        form->cmdToClip_Click();
        ASSERT_EQ(os.messageBoxes.size(), 1u) << call;
        EXPECT_NE(os.messageBoxes[0].text.find("Error: 5(&H5): "), std::string::npos) << call;
        EXPECT_FALSE(os.ClipboardOpen()) << call;
        EXPECT_EQ(os.LiveGlobals(), 0) << call; // the block is freed unless the clipboard took it
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

TEST_F(MemMapWindowTest, ActivationMovesToTheTopAtScreenHeight) {
    form->Form_Activate();
    RECT frame;
    ::GetWindowRect(form->Handle(), &frame);
    EXPECT_EQ(frame.top, 0);
    EXPECT_EQ(frame.bottom - frame.top, ::GetSystemMetrics(SM_CYSCREEN));
}

LABELED_TEST_F("dpi", MemMapWindowTest, FontsAreTahomaWithASmallerMapBox) {
    auto pointsOf = [&](MapControl control) {
        LOGFONTA font{};
        auto handle =
            reinterpret_cast<HFONT>(::SendMessageA(form->Control(control), WM_GETFONT, 0, 0));
        ::GetObjectA(handle, sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, "Tahoma");
        return -font.lfHeight;
    };
    int dpi = form->Scale().Dpi();
    EXPECT_EQ(pointsOf(MapControl::txtMemMap), ::MulDiv(75, dpi, 720));
    EXPECT_EQ(pointsOf(MapControl::cmdMap), ::MulDiv(90, dpi, 720));
    EXPECT_EQ(pointsOf(MapControl::txtFree), ::MulDiv(90, dpi, 720));
}

} // namespace
