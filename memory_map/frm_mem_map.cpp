#include "memory_map/frm_mem_map.h"

#include "app/app_title.h"
#include "app/message_loop.h"
#include "memory_map/region_walk.h"
#include "system/ansi_text.h"
#include "system/bas_enum_procs.h"

#include <cstring>
#include <utility>

namespace memory_map {

namespace {

constexpr app::FormClass kFormClass{"VelmoraMemMap", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    WS_EX_CONTROLPARENT, 9855, 6435};
constexpr int kMapFontTenthsOfPoint = 75;
constexpr float kMinimumBoxSize = 1000;
constexpr float kMargin = 100;

using app::ControlKind;

} // namespace

MapBoxSize ResizedMapBox(float clientWidth, float clientHeight, MapBoxSize current) {
    float width = clientWidth - kMapBoxLeft - kMargin;
    float height = clientHeight - kMapBoxTop - kMargin;
    return {width > kMinimumBoxSize ? width : current.width,
            height > kMinimumBoxSize ? height : current.height};
}

std::string ClipboardText(const std::string& processName, const std::string& mapText) {
    return "Memory Map: " + processName + "\r\n" + mapText;
}

frmMemMap::frmMemMap(sys::Os& os, HINSTANCE instance)
    : Form(os, instance, kMapControls, kFirstMapControlId),
      mapFont_(app::CreateTahoma(kMapFontTenthsOfPoint, scale_)) {}

void frmMemMap::Create(HWND owner) {
    owner_ = owner;
    CreateFormWindow(kFormClass, kMemMapCaption, POINT{CW_USEDEFAULT, CW_USEDEFAULT}, owner);
}

void frmMemMap::OnCreate() {
    HWND map = Control(MapControl::txtMemMap);
    ::SendMessageA(map, WM_SETFONT, reinterpret_cast<WPARAM>(mapFont_.Get()), FALSE);
    ::SendMessageA(map, EM_SETLIMITTEXT, 0, 0); // maps run far past the default 32 KB
}

// The map box's own font is made again at the new DPI, and the box fills the window again.
void frmMemMap::OnRescaled() {
    sys::Font previous = std::exchange(mapFont_, app::CreateTahoma(kMapFontTenthsOfPoint, scale_));
    app::SetControlFont(Control(MapControl::txtMemMap), ControlKind::MapTextBox, mapFont_.Get());
    ResizeControls();
}

bool frmMemMap::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE &&
            activation_.Counts(window_, reinterpret_cast<HWND>(lParam))) {
            Form_Activate();
            return true;
        }
        return false;
    case WM_SIZE:
        Form_Resize();
        return true;
    case WM_NEXTDLGCTL:
        app::MoveDialogFocus(window_, wParam, lParam); // Tab out of the map box
        return true;
    case WM_DESTROY:
        // Wakes the modal loop, which waits in GetMessage, to see the window gone.
        ::PostMessageA(nullptr, WM_NULL, 0, 0);
        return false;
    default:
        return false;
    }
}

void frmMemMap::OnCommand(int id, int notification) {
    constexpr std::array<Handler, 4> kHandlers{{
        {MapControl::cmdMap, BN_CLICKED, &frmMemMap::cmdMap_Click},
        {MapControl::cmdMapFree, BN_CLICKED, &frmMemMap::cmdMapFree_Click},
        {MapControl::cmdToClip, BN_CLICKED, &frmMemMap::cmdToClip_Click},
        {MapControl::cmdClose, BN_CLICKED, &frmMemMap::cmdClose_Click},
    }};
    RunHandler(kHandlers, id, notification);
}

void frmMemMap::Form_Activate() {
    RECT frame;
    ::GetWindowRect(window_, &frame);
    ::SetWindowPos(window_, nullptr, frame.left, 0, frame.right - frame.left,
                   ::GetSystemMetrics(SM_CYSCREEN), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetFocus(Control(MapControl::txtMemMap));
}

void frmMemMap::Form_Resize() { ResizeControls(); }

void frmMemMap::ResizeControls() {
    HWND map = Control(MapControl::txtMemMap);
    if (map == nullptr) {
        return; // sized before the controls exist
    }
    RECT client;
    ::GetClientRect(window_, &client);
    mapBox_ = ResizedMapBox(static_cast<float>(scale_.ToTwips(client.right)),
                            static_cast<float>(scale_.ToTwips(client.bottom)), mapBox_);
    RECT box =
        scale_.ToPixels(app::TwipsRect{kMapBoxLeft, kMapBoxTop, static_cast<int>(mapBox_.width),
                                       static_cast<int>(mapBox_.height)});
    ::SetWindowPos(map, nullptr, 0, 0, box.right - box.left, box.bottom - box.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmMemMap::cmdMap_Click() {
    MapMemory(basEnumProcs::lMemMapProcessID);
    app::SetText(window_, "Memory Map: " + basEnumProcs::sMemMapProcessName);
    ::SetFocus(Control(MapControl::txtMemMap));
}

void frmMemMap::cmdMapFree_Click() { MapFreeMemory(basEnumProcs::lMemMapProcessID); }

void frmMemMap::MapMemory(int32_t lProcessID) { Map(lProcessID, false); }

void frmMemMap::MapFreeMemory(int32_t lProcessID) { Map(lProcessID, true); }

void frmMemMap::Map(int32_t processId, bool freeOnly) {
    sys::ProcessHandle process = basEnumProcs::OpenProcessQuery(os_, processId);
    if (!process) {
        os_.MessageBoxA(window_, kOpenFailedText, app::kAppTitle, MB_OK | MB_ICONERROR);
        return;
    }
    app::WaitCursor busy;
    HWND map = Control(MapControl::txtMemMap);
    app::SetText(map, "");
    // Dialog template units: quarters of the average character width.
    INT stops[] = {88, 128, 168, 216};
    ::SendMessageA(map, EM_SETTABSTOPS, std::size(stops), reinterpret_cast<LPARAM>(stops));
    RegionMap result =
        WalkRegions(os_, process.Get(), freeOnly ? MapKind::FreeOnly : MapKind::AllRegions);
    app::SetText(map, result.text);
    app::SetText(Control(MapControl::txtFree), FreePagesText(result.freePages));
}

void frmMemMap::cmdToClip_Click() {
    CopyToClipboard(ClipboardText(basEnumProcs::sMemMapProcessName,
                                  app::GetText(Control(MapControl::txtMemMap))));
    ::SetFocus(Control(MapControl::txtMemMap));
}

// The map goes on the clipboard as the program's text and in Unicode, so that a
// program that pastes either reads the same characters; both or neither.
void frmMemMap::CopyToClipboard(const std::string& text) {
    sys::ClipboardSession clipboard(os_, window_);
    if (!clipboard.IsOpen()) {
        return ReportClipboardFailure(os_.GetLastError());
    }
    os_.EmptyClipboard();
    std::wstring wide = sys::WideText(text);
    DWORD error = PutOnClipboard(CF_TEXT, text.c_str(), text.size() + 1);
    if (error == ERROR_SUCCESS) {
        error = PutOnClipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    }
    if (error != ERROR_SUCCESS) {
        os_.EmptyClipboard();
        ReportClipboardFailure(error);
    }
}

// The error of the step that failed, or ERROR_SUCCESS once the clipboard owns the copy.
DWORD frmMemMap::PutOnClipboard(UINT format, const void* data, size_t bytes) {
    sys::GlobalMemory memory(os_, os_.GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) {
        return os_.GetLastError();
    }
    void* copy = os_.GlobalLock(memory.Get());
    if (copy == nullptr) {
        return os_.GetLastError();
    }
    std::memcpy(copy, data, bytes);
    os_.GlobalUnlock(memory.Get());
    if (os_.SetClipboardData(format, memory.Get()) == nullptr) {
        return os_.GetLastError();
    }
    memory.Release(); // the clipboard owns the block now
    return ERROR_SUCCESS;
}

void frmMemMap::ReportClipboardFailure(DWORD error) {
    std::string text = "The memory map could not be copied to the clipboard.\r\n" +
                       basEnumProcs::GetErrorText(os_, static_cast<int32_t>(error));
    os_.MessageBoxA(window_, text.c_str(), app::kAppTitle, MB_OK | MB_ICONERROR);
}

void frmMemMap::cmdClose_Click() { Close(); }

void frmMemMap::Close() {
    // The owner first: with no enabled window left, activation would go nowhere
    // and the main window would never see its refresh.
    if (owner_ != nullptr) {
        ::EnableWindow(owner_, TRUE);
    }
    ::DestroyWindow(window_);
}

void ShowMemoryMapModal(sys::Os& os, HWND owner) {
    frmMemMap form(os, reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(owner, GWLP_HINSTANCE)));
    form.Create(owner);
    if (form.Handle() == nullptr) {
        return;
    }
    ::EnableWindow(owner, FALSE);
    ::ShowWindow(form.Handle(), SW_SHOWNORMAL);
    app::RunModalLoop(form.Handle());
    ::EnableWindow(owner, TRUE);
}

} // namespace memory_map
