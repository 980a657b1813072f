#pragma once
// The window procedure every form of the program uses. It finds the form object
// stored at WM_NCCREATE, forgets it at WM_NCDESTROY, and is the boundary no
// exception crosses: whatever escapes a handler goes to the uncaught-error report.

#include "app/uncaught_error.h"

#include <windows.h>

#include <exception>

namespace app {

// Registers a form's window class once: the program's icon, the dialog face colour.
void RegisterFormClass(HINSTANCE instance, const char* className, WNDPROC procedure);

// Form must offer: LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM) and sys::Os& GetOs().
template <typename Form>
LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (form == nullptr) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }
    try {
        return form->HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        ReportUncaughtError(form->GetOs(), std::current_exception());
        return 0;
    }
}

} // namespace app
