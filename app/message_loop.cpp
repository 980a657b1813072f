#include "app/message_loop.h"

namespace app {

namespace {

void Dispatch(MSG& message) {
    // WS_EX_CONTROLPARENT marks a form: the dialog manager then moves the focus with
    // Tab and the access keys through its controls, as it would in a dialog box.
    HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    bool isForm =
        root != nullptr && (::GetWindowLongPtrA(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0;
    if (isForm && ::IsDialogMessageA(root, &message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
}

} // namespace

int RunMessageLoop(HWND window, HACCEL accelerators) {
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        bool forWindow = accelerators != nullptr && message.hwnd != nullptr &&
                         ::GetAncestor(message.hwnd, GA_ROOT) == window &&
                         ::IsWindowEnabled(window);
        if (forWindow && ::TranslateAcceleratorA(window, accelerators, &message)) {
            continue;
        }
        Dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

void RunModalLoop(HWND modal) {
    MSG message{};
    while (::IsWindow(modal)) {
        BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (got < 0) {
            return;
        }
        Dispatch(message);
    }
}

} // namespace app
