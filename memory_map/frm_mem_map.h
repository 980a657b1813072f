#pragma once
// The memory map window, shown modally over the main window for the process
// handed over in basEnumProcs::lMemMapProcessID and sMemMapProcessName.

#include "app/activation.h"
#include "app/controls.h"
#include "app/form.h"
#include "system/handles.h"
#include "system/os.h"

#include <windows.h>

#include <array>
#include <string>

namespace memory_map {

inline constexpr char kMemMapCaption[] = "qvoMemoryMap";
inline constexpr char kOpenFailedText[] = "Error getting handle to process from process ID.";

enum class MapControl { cmdMap, txtMemMap, txtFree, cmdMapFree, cmdToClip, cmdClose, Count };

inline constexpr int kMapControlCount = static_cast<int>(MapControl::Count);
inline constexpr int kFirstMapControlId = 100;

inline constexpr int kMapBoxLeft = 60;
inline constexpr int kMapBoxTop = 600;

// The layout in twips of the client area, in tab order; the map box then follows the
// window's size (ResizedMapBox).
inline constexpr std::array<app::ControlSpec, kMapControlCount> kMapControls{{
    {"cmdMap", app::ControlKind::Button, "&Map", {60, 180, 1092, 312}},
    {"txtMemMap", app::ControlKind::MapTextBox, "", {kMapBoxLeft, kMapBoxTop, 9732, 5592}},
    {"txtFree", app::ControlKind::TextBox, "", {5340, 180, 2652, 312}},
    {"cmdMapFree", app::ControlKind::Button, "Map &Free Only", {1200, 180, 1452, 312}},
    {"cmdToClip", app::ControlKind::Button, "To Clip&board", {2700, 180, 1452, 312}},
    {"cmdClose", app::ControlKind::Button, "&Close", {4200, 180, 1092, 312}},
}};

// The map box's new size in twips for a client area of W x H twips: a margin of
// 100 to the right and below, never 1000 or less (the old value then stays).
struct MapBoxSize {
    float width;
    float height;
};
MapBoxSize ResizedMapBox(float clientWidth, float clientHeight, MapBoxSize current);

// "Memory Map: <name>" CR LF and the map text.
std::string ClipboardText(const std::string& processName, const std::string& mapText);

class frmMemMap : public app::Form<frmMemMap, MapControl, kMapControlCount> {
public:
    frmMemMap(sys::Os& os, HINSTANCE instance);
    ~frmMemMap() { Destroy(); }

    // Creates the window where the system places new windows, owned by `owner`.
    void Create(HWND owner);

    void Form_Activate();
    void Form_Resize();
    void cmdMap_Click();
    void cmdMapFree_Click();
    void cmdToClip_Click();
    void cmdClose_Click();

    void MapMemory(int32_t lProcessID);
    void MapFreeMemory(int32_t lProcessID);
    void ResizeControls();

private:
    friend Form; // the messages it dispatches
    void OnCreate();
    void OnRescaled();
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnClose() { Close(); }
    void OnCommand(int id, int notification);
    void Map(int32_t processId, bool freeOnly);
    void CopyToClipboard(const std::string& text);
    DWORD PutOnClipboard(UINT format, const void* data, size_t bytes);
    void ReportClipboardFailure(DWORD error);
    void Close();

    HWND owner_ = nullptr;
    sys::Font mapFont_;
    app::ActivationFilter activation_;
    MapBoxSize mapBox_{9732, 5592};
};

// Opens a fresh memory map window and returns when it is closed. The owner
// takes no input meanwhile.
void ShowMemoryMapModal(sys::Os& os, HWND owner);

} // namespace memory_map
