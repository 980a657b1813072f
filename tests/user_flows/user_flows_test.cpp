// The real viewer under Wine, driven from this program with the keyboard, and posed
// for the screenshots. (tests/blackbox checks the lists, details and maps.)
// Run with --helper, this program is instead the process the viewer inspects.

#include "driver.h"
#include "main_window/main_layout.h"
#include "memory_map/frm_mem_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <vector>

using main_window::ControlId;
using main_window::MainControl;
using memory_map::MapControl;
using memory_map::MapControlId;
using namespace user_flows;

namespace {

constexpr uintptr_t kCommittedAt = 0x20000000;
constexpr SIZE_T kCommittedSize = 0x30000;
constexpr uintptr_t kReservedAt = 0x20100000;
constexpr SIZE_T kReservedSize = 0x10000;
constexpr char kTitle[] = "Velmora Process Viewer";

int RunHelper() {
    ::VirtualAlloc(reinterpret_cast<void*>(kCommittedAt), kCommittedSize, MEM_RESERVE | MEM_COMMIT,
                   PAGE_READWRITE);
    ::VirtualAlloc(reinterpret_cast<void*>(kReservedAt), kReservedSize, MEM_RESERVE, PAGE_NOACCESS);
    ::Sleep(120000); // ended by the test
    return 0;
}

// CF_TEXT of the clipboard, read while the viewer that set it still runs.
std::string ClipboardText() {
    if (!::OpenClipboard(nullptr)) {
        return std::string();
    }
    HANDLE data = ::GetClipboardData(CF_TEXT);
    const char* bytes = data != nullptr ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
    std::string text = bytes != nullptr ? bytes : "";
    if (bytes != nullptr) {
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// Id of a process list row "412 - name (class)".
long RowId(const std::string& row) { return std::strtol(row.c_str(), nullptr, 10); }

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        helper = StartProcess("\"" + OwnExePath() + "\" --helper");
        ASSERT_NE(helper.id, 0u);
        ASSERT_TRUE(WaitUntil([&] { return HelperReady(); }));
        viewer = StartProcess("\"" + ViewerPath() + "\"");
        ASSERT_NE(viewer.id, 0u) << ViewerPath();
        ASSERT_TRUE(WaitUntil([&] { return (main = FindWindowOf(viewer.id, kTitle)) != nullptr; }));
        ASSERT_TRUE(WaitUntil([&] { return !Rows(Get(MainControl::lstProcesses)).empty(); }));
    }
    void TearDown() override {
        Stop(viewer);
        Stop(helper);
    }

    bool HelperReady() {
        Handle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, helper.id));
        MEMORY_BASIC_INFORMATION region{};
        return process.Get() != nullptr &&
               ::VirtualQueryEx(process.Get(), reinterpret_cast<void*>(kReservedAt), &region,
                                sizeof region) != 0 &&
               region.State == MEM_RESERVE;
    }
    HWND Get(MainControl control) { return ::GetDlgItem(main, ControlId(control)); }
    std::string TextOf(MainControl control) { return Text(Get(control)); }
    int RowOfPid(DWORD pid) {
        auto rows = Rows(Get(MainControl::lstProcesses));
        for (size_t i = 0; i < rows.size(); ++i) {
            if (RowId(rows[i]) == static_cast<long>(pid)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    void SelectHelper() {
        int row = RowOfPid(helper.id);
        ASSERT_GE(row, 0);
        SelectRow(main, ControlId(MainControl::lstProcesses), row);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(MainControl::lblModules) != "No modules"; }));
    }
    HWND OpenMemoryMap() {
        Click(Get(MainControl::cmdMemMap));
        HWND map = nullptr;
        WaitUntil([&] { return (map = FindWindowOf(viewer.id, "qvoMemoryMap")) != nullptr; });
        return map;
    }
    bool EndsAfterCancellingTheExitPrompt() {
        HWND box = nullptr;
        if (!WaitUntil(
                [&] { return (box = FindWindowOf(viewer.id, "More Freeware", "#32770")); })) {
            return false;
        }
        ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        return ::WaitForSingleObject(viewer.process.Get(), 10000) == WAIT_OBJECT_0;
    }

    Started helper;
    Started viewer;
    HWND main = nullptr;
};

TEST_F(Viewer, RefreshAndF5RebuildTheListAndExitEndsThroughThePrompt) {
    Started late = StartProcess("\"" + OwnExePath() + "\" --helper");
    Click(Get(MainControl::cmdRefresh));
    EXPECT_TRUE(WaitUntil([&] { return RowOfPid(late.id) != -1; }));
    Stop(late);
    // F5 on the process list, as the keyboard sends it.
    ::PostMessageW(Get(MainControl::lstProcesses), WM_KEYDOWN, VK_F5, 1);
    ::PostMessageW(Get(MainControl::lstProcesses), WM_KEYUP, VK_F5, 0xC0000001);
    EXPECT_TRUE(WaitUntil([&] { return RowOfPid(late.id) == -1; }));
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(EndsAfterCancellingTheExitPrompt());
}

TEST_F(Viewer, AltXAsksBeforeEnding) {
    // Alt+X: the access key of Exit, as the keyboard sends it to the focused control.
    ::PostMessageW(Get(MainControl::lstProcesses), WM_SYSCHAR, 'x', 1 << 29);
    EXPECT_TRUE(EndsAfterCancellingTheExitPrompt());
}

// The access keys as the keyboard sends them: WM_SYSCHAR to the focused control.
void PressAlt(HWND control, char key) {
    ::PostMessageW(control, WM_SYSCHAR, static_cast<WPARAM>(key), 1 << 29);
}

TEST_F(Viewer, AccessKeysOfBothWindows) {
    SelectHelper();
    PressAlt(Get(MainControl::lstProcesses), 'm'); // MemMap
    HWND map = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (map = FindWindowOf(viewer.id, "qvoMemoryMap")) != nullptr; }));
    HWND box = ::GetDlgItem(map, MapControlId(MapControl::txtMemMap));
    PressAlt(box, 'm'); // Map
    std::string name = BaseName(OwnExePath());
    ASSERT_TRUE(WaitUntil([&] { return Text(map) == "Memory Map: " + name; }));
    EXPECT_NE(Text(box).find("COMMIT"), std::string::npos);
    PressAlt(box, 'f'); // Map Free Only
    EXPECT_TRUE(WaitUntil([&] { return Text(box).find("COMMIT") == std::string::npos; }));
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    PressAlt(box, 'b'); // To Clipboard
    EXPECT_TRUE(
        WaitUntil([&] { return ClipboardText().rfind("Memory Map: " + name + "\r\n", 0) == 0; }));
    PressAlt(box, 'c'); // Close
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(map); }));
    PressAlt(Get(MainControl::lstProcesses), 'r'); // Refresh: the process list keeps its rows
    EXPECT_TRUE(WaitUntil([&] { return RowOfPid(helper.id) != -1; }));
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// Tab, as the keyboard sends it, moves the focus from order[0] through each next
// control of `window` in turn.
void ExpectTabVisits(HWND window, const std::vector<HWND>& order) {
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(window) == order[0]; })) << "the first focus";
    for (size_t i = 1; i < order.size(); ++i) {
        HWND from = FocusOf(window);
        ::PostMessageW(from, WM_KEYDOWN, VK_TAB, 1);
        ::PostMessageW(from, WM_KEYUP, VK_TAB, 0xC0000001);
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(window) == order[i]; }, 5000)) << "step " << i;
    }
}

TEST_F(Viewer, TabVisitsTheControlsInTheirOrder) {
    std::vector<HWND> order;
    for (MainControl control :
         {MainControl::lstProcesses, MainControl::lstModules, MainControl::txtStatus,
          MainControl::lstDrivers, MainControl::txtFilePath, MainControl::txtVersionInfo,
          MainControl::cmdMemMap, MainControl::cmdRefresh, MainControl::cmdExit,
          MainControl::lstProcesses}) {
        order.push_back(Get(control));
    }
    ExpectTabVisits(main, order);
}

std::vector<HWND> MapControls(HWND map, std::initializer_list<MapControl> controls) {
    std::vector<HWND> windows;
    for (MapControl control : controls) {
        windows.push_back(::GetDlgItem(map, MapControlId(control)));
    }
    return windows;
}

TEST_F(Viewer, TabVisitsTheMemoryMapControlsInTheirOrder) {
    SelectHelper();
    HWND map = OpenMemoryMap();
    ASSERT_NE(map, nullptr);
    // A click puts the focus in the free pages box.
    HWND free = ::GetDlgItem(map, MapControlId(MapControl::txtFree));
    ::PostMessageW(free, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(free, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    ExpectTabVisits(
        map, MapControls(map, {MapControl::txtFree, MapControl::cmdMapFree, MapControl::cmdToClip,
                               MapControl::cmdClose, MapControl::cmdMap, MapControl::txtMemMap}));
}

// The multi-line map box answers Tab by asking its parent to move on
// (WM_NEXTDLGCTL), as in a dialog; the map window, no dialog, must answer it.
TEST_F(Viewer, TabLeavesTheMemoryMapBox) {
    SelectHelper();
    HWND map = OpenMemoryMap();
    ASSERT_NE(map, nullptr);
    ExpectTabVisits(map, MapControls(map, {MapControl::txtMemMap, MapControl::txtFree}));
}

// With VELMORA_POSE_DIR set, tools/screenshots.sh photographs each state: the test
// announces it with NAME.pose and goes on when NAME.done appears.
void Pose(const std::string& name) {
    std::string folder = std::getenv("VELMORA_POSE_DIR");
    std::string pose = "Z:" + folder + "/" + name + ".pose";
    std::string done = "Z:" + folder + "/" + name + ".done";
    Handle file(::CreateFileA(pose.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    file = Handle();
    EXPECT_TRUE(WaitUntil(
        [&] { return ::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000));
}

TEST_F(Viewer, PosesForScreenshots) {
    if (std::getenv("VELMORA_POSE_DIR") == nullptr) {
        GTEST_SKIP() << "only for tools/screenshots.sh";
    }
    SelectHelper();
    auto modules = Rows(Get(MainControl::lstModules));
    auto kernel32 = std::find_if(modules.begin(), modules.end(), [](const std::string& row) {
        return SameText(row.substr(0, 13), "kernel32.dll ");
    });
    ASSERT_NE(kernel32, modules.end());
    SelectRow(main, ControlId(MainControl::lstModules),
              static_cast<int>(kernel32 - modules.begin()));
    ASSERT_TRUE(WaitUntil([&] { return !TextOf(MainControl::txtVersionInfo).empty(); }));
    Pose("main-window");
    HWND map = OpenMemoryMap();
    ASSERT_NE(map, nullptr);
    Click(::GetDlgItem(map, MapControlId(MapControl::cmdMap)));
    ASSERT_TRUE(WaitUntil([&] { return Text(map).rfind("Memory Map: ", 0) == 0; }));
    Pose("memory-map-window");
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--helper") {
        return RunHelper();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
