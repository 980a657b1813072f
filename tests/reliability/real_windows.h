#pragma once
// Driving the program's own windows in this process, as the user would.

#include "main_window/frm_enum_procs.h"

#include <windows.h>

#include <algorithm>

namespace reliability {

inline void PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

// LB_SETCURSEL does not notify: the parent is told as a click would tell it.
inline void SelectRow(main_window::frmEnumProcs& form, main_window::MainControl list, int row) {
    HWND control = form.Control(list);
    ::SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::SendMessageA(form.Handle(), WM_COMMAND,
                   MAKEWPARAM(main_window::ControlId(list), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(control));
}

// The process list's row of `pid`, or -1.
inline int RowOf(const main_window::frmEnumProcs& form, DWORD pid) {
    const auto& ids = form.Snapshot().lPIDs;
    auto found = std::find(ids.begin(), ids.end(), static_cast<int32_t>(pid));
    return found == ids.end() ? -1 : static_cast<int>(found - ids.begin());
}

} // namespace reliability
