// The memory map window opened modally over a real owner window, driven from
// messages its own modal loop dispatches; and maps too long for an edit
// control's default limit.

#include "memory_map/frm_mem_map.h"
#include "tests/kit/fake_os.h"
#include "tests/kit/memory_map_fixture.h"
#include "tests/kit/messages.h"
#include "tests/kit/text.h"
#include "tests/kit/window_reading.h"

#include <gtest/gtest.h>

#include <memory>

using memory_map::MapControl;

namespace {

constexpr UINT kLookAtTheMap = WM_APP + 1;
constexpr UINT_PTR kGiveUpTimer = 1;

// What the owner saw of the memory map window while its modal loop ran.
struct Seen {
    HWND map = nullptr;
    bool ownerEnabledWhileOpen = true;
    bool ownerEnabledAtDestroy = false;
    std::string caption, mapText, freeText;
    std::string captionAfterMap;
    RECT frame{};
    bool gaveUp = false;
};

Seen seen;
HWND owner = nullptr;
bool closeWithButton = true;

std::string ControlText(HWND map, MapControl control) {
    return app::GetText(::GetDlgItem(map, testkit::MapControlId(control)));
}

BOOL CALLBACK FindOwned(HWND window, LPARAM found) {
    if (::GetWindow(window, GW_OWNER) == owner) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Looks at the fresh window, maps, and closes it by its button or by WM_CLOSE.
void LookAtTheMap() {
    HWND map = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindOwned, reinterpret_cast<LPARAM>(&map));
    if (map == nullptr) {
        return;
    }
    seen.map = map;
    seen.ownerEnabledWhileOpen = ::IsWindowEnabled(owner) != FALSE;
    seen.caption = app::GetText(map);
    seen.mapText = ControlText(map, MapControl::txtMemMap);
    seen.freeText = ControlText(map, MapControl::txtFree);
    ::GetWindowRect(map, &seen.frame);
    testkit::SendClick(::GetDlgItem(map, testkit::MapControlId(MapControl::cmdMap)));
    seen.captionAfterMap = app::GetText(map);
    if (closeWithButton) {
        ::PostMessageA(::GetDlgItem(map, testkit::MapControlId(MapControl::cmdClose)), BM_CLICK, 0,
                       0);
    } else {
        ::PostMessageA(map, WM_CLOSE, 0, 0);
    }
}

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kLookAtTheMap) {
        LookAtTheMap();
        return 0;
    }
    if (message == WM_TIMER && wParam == kGiveUpTimer) {
        // The window never closed: end the modal loop so the test fails, not hangs.
        seen.gaveUp = true;
        HWND map = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), FindOwned, reinterpret_cast<LPARAM>(&map));
        if (map != nullptr) {
            ::DestroyWindow(map);
        }
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// Sees WM_DESTROY reach the memory map window before its procedure does.
LRESULT CALLBACK WatchDestroy(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_DESTROY && call->hwnd == seen.map) {
        seen.ownerEnabledAtDestroy = ::IsWindowEnabled(owner) != FALSE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class MemMapModalTest : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::ScriptMappedProcess(os);
        WNDCLASSA ownerClass{};
        ownerClass.lpfnWndProc = OwnerProcedure;
        ownerClass.hInstance = ::GetModuleHandleA(nullptr);
        ownerClass.lpszClassName = "VelmoraTestOwner";
        ::RegisterClassA(&ownerClass);
        owner = ::CreateWindowExA(0, "VelmoraTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 200, 100, nullptr, nullptr, ownerClass.hInstance, nullptr);
        hook_ = ::SetWindowsHookExA(WH_CALLWNDPROC, WatchDestroy, nullptr, ::GetCurrentThreadId());
    }
    void TearDown() override {
        ::UnhookWindowsHookEx(hook_);
        ::DestroyWindow(owner);
        owner = nullptr;
    }
    // One modal session: the look-and-close message is queued before the call.
    void RunModal(bool byButton) {
        seen = Seen{};
        closeWithButton = byButton;
        ::PostMessageA(owner, kLookAtTheMap, 0, 0);
        ::SetTimer(owner, kGiveUpTimer, 10000, nullptr);
        memory_map::ShowMemoryMapModal(os, owner);
        ::KillTimer(owner, kGiveUpTimer);
        ASSERT_NE(seen.map, nullptr) << "no memory map window was open";
        EXPECT_FALSE(seen.gaveUp);
        EXPECT_FALSE(::IsWindow(seen.map));
    }

    fake::FakeOs os;
    HHOOK hook_ = nullptr;
};

TEST_F(MemMapModalTest, OwnerIsDisabledWhileOpenAndEnabledBeforeTheWindowGoes) {
    RunModal(true);
    EXPECT_FALSE(seen.ownerEnabledWhileOpen);
    EXPECT_TRUE(seen.ownerEnabledAtDestroy);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(seen.captionAfterMap, "Memory Map: app.exe");
    // Shown and activated: moved to the top and as tall as the screen.
    EXPECT_EQ(seen.frame.top, 0);
    EXPECT_EQ(seen.frame.bottom - seen.frame.top, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(os.opened, 1);
    EXPECT_EQ(os.OpenHandles(), 0);
}

TEST_F(MemMapModalTest, EachOpeningIsAFreshWindowWhicheverWayTheLastClosed) {
    RunModal(true);
    ASSERT_EQ(seen.captionAfterMap, "Memory Map: app.exe");
    for (bool byButton : {false, true}) {
        RunModal(byButton);
        EXPECT_EQ(seen.caption, "qvoMemoryMap");
        EXPECT_EQ(seen.mapText, "");
        EXPECT_EQ(seen.freeText, "");
        EXPECT_TRUE(seen.ownerEnabledAtDestroy);
        EXPECT_TRUE(::IsWindowEnabled(owner));
    }
    EXPECT_EQ(os.opened, 3);
    EXPECT_EQ(os.OpenHandles(), 0);
}

// A map of thousands of regions runs far past the edit control's default 32 KB.
TEST(LongMemoryMap, ReachesTheBoxAndTheClipboardWhole) {
    fake::FakeOs os;
    std::vector<MEMORY_BASIC_INFORMATION> regions;
    uint32_t at = 0x10000;
    regions.push_back(fake::Region(0, at, MEM_FREE));
    for (int i = 0; i < 3000; ++i, at += 0x1000) {
        DWORD state = i % 2 == 0 ? MEM_COMMIT : MEM_RESERVE;
        regions.push_back(fake::Region(at, 0x1000, state, MEM_PRIVATE, PAGE_READWRITE));
    }
    regions.push_back(fake::Region(at, 0x7FFF0000 - at, MEM_FREE));
    testkit::ScriptMappedProcess(os, regions, 8, "big.exe");

    memory_map::frmMemMap form(os, ::GetModuleHandleA(nullptr));
    form.Create(nullptr);
    form.cmdMap_Click();
    std::string shown = app::GetText(form.Control(MapControl::txtMemMap));
    ASSERT_GT(shown.size(), 100000u);
    std::vector<std::string> lines = testkit::SplitLines(shown);
    ASSERT_EQ(lines.size(), 3002u);
    EXPECT_EQ(lines[3000], "BC 7000 - BC 7FFF\t1 pp\tRESERVE\tPRIVATE\tREADWRITE");
    EXPECT_EQ(lines[3001], "BC 8000 - 7FFE FFFF\t521256 pp\tFREE");
    form.cmdToClip_Click();
    EXPECT_EQ(os.clipboardText, "Memory Map: big.exe\r\n" + shown);
    EXPECT_TRUE(os.messageBoxes.empty());
}

} // namespace
