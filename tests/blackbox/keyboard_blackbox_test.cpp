// The keyboard: the access keys of both windows and the Tab order, sent to the
// real viewer as the keyboard sends them. (F5 is the start-up tests'.)

#include "main_window/frm_enum_procs.h"
#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/memory_map_window.h"
#include "tests/blackbox/remote_window.h"
#include "tests/blackbox/viewed_helper.h"
#include "tests/blackbox/viewer_session.h"
#include "tests/kit/window_reading.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

namespace blackbox {
namespace {

using main_window::MainControl;
using memory_map::MapControl;
using testkit::MapControlId;

// An access key: WM_SYSCHAR with Alt down, to the focused control.
void PressAlt(HWND control, char key) {
    ::PostMessageW(control, WM_SYSCHAR, static_cast<WPARAM>(key), 1 << 29);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// Tab moves the focus from order[0] through each next control of `window` in turn.
void ExpectTabVisits(HWND window, const std::vector<HWND>& order) {
    ASSERT_TRUE(Eventually([&] { return FocusOf(window) == order[0]; })) << "the first focus";
    for (size_t i = 1; i < order.size(); ++i) {
        PressKey(FocusOf(window), VK_TAB);
        EXPECT_TRUE(Eventually([&] { return FocusOf(window) == order[i]; })) << "step " << i;
    }
}

std::vector<HWND> MapControls(HWND map, std::initializer_list<MapControl> controls) {
    std::vector<HWND> windows;
    for (MapControl control : controls) {
        windows.push_back(::GetDlgItem(map, MapControlId(control)));
    }
    return windows;
}

class Keyboard : public ViewedHelper {
protected:
    HWND Get(MainControl control) const { return viewer->Control(control); }
    void SelectHelper() {
        viewer->SelectProcess(helper->Id());
        viewer->WaitFor("the helper's modules",
                        [&] { return viewer->Text(MainControl::lblModules) != "No modules"; });
    }
};

TEST_F(Keyboard, AccessKeysOfBothWindows) {
    SelectHelper();
    PressAlt(Get(MainControl::lstProcesses), 'm'); // MemMap
    HWND map = viewer->WaitForForm(memory_map::kMemMapCaption);
    HWND box = ::GetDlgItem(map, MapControlId(MapControl::txtMemMap));
    PressAlt(box, 'm'); // Map
    std::string caption = "Memory Map: " + OwnExeName();
    ASSERT_TRUE(Eventually([&] { return WindowText(map) == caption; }));
    EXPECT_NE(WindowText(box).find("COMMIT"), std::string::npos);
    PressAlt(box, 'f'); // Map Free Only
    EXPECT_TRUE(Eventually([&] { return WindowText(box).find("COMMIT") == std::string::npos; }));
    EmptyTheClipboard();
    PressAlt(box, 'b'); // To Clipboard
    EXPECT_TRUE(Eventually([&] { return ClipboardText().rfind(caption + "\r\n", 0) == 0; }));
    PressAlt(box, 'c'); // Close
    EXPECT_TRUE(Eventually([&] { return !::IsWindow(map); }));
    PressAlt(Get(MainControl::lstProcesses), 'r'); // Refresh: the process list keeps its rows
    EXPECT_TRUE(Eventually([&] { return viewer->RowOfProcess(helper->Id()) != -1; }));
    PressAlt(Get(MainControl::lstProcesses), 'x'); // Exit, through its prompt
    HWND prompt = viewer->WaitForMessageBox(main_window::kFreewareTitle);
    ::PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(::WaitForSingleObject(viewer->Process(), kStepTimeoutMs), WAIT_OBJECT_0);
}

TEST_F(Keyboard, TabVisitsTheControlsInTheirOrder) {
    std::vector<HWND> order;
    for (MainControl control :
         {MainControl::lstProcesses, MainControl::lstModules, MainControl::txtStatus,
          MainControl::lstDrivers, MainControl::txtFilePath, MainControl::txtVersionInfo,
          MainControl::cmdMemMap, MainControl::cmdRefresh, MainControl::cmdExit,
          MainControl::lstProcesses}) {
        order.push_back(Get(control));
    }
    ExpectTabVisits(viewer->Main(), order);
}

// Round the memory map window and out of the multi-line map box, which answers Tab
// by asking its parent to move on (WM_NEXTDLGCTL), as in a dialog; the map window,
// no dialog, must answer it.
TEST_F(Keyboard, TabVisitsTheMemoryMapControlsInTheirOrder) {
    SelectHelper();
    MemoryMapWindow map(*viewer);
    // A click puts the focus in the free pages box.
    HWND free = map.Control(MapControl::txtFree);
    ::PostMessageW(free, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(free, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    ExpectTabVisits(
        map.Handle(),
        MapControls(map.Handle(), {MapControl::txtFree, MapControl::cmdMapFree,
                                   MapControl::cmdToClip, MapControl::cmdClose, MapControl::cmdMap,
                                   MapControl::txtMemMap, MapControl::txtFree}));
}

} // namespace
} // namespace blackbox
