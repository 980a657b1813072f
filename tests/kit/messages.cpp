#include "tests/kit/messages.h"

#include <stdexcept>
#include <string>

namespace testkit {

namespace {

constexpr UINT kReplyTimeoutMs = 5000;

} // namespace

bool PumpMessages() {
    bool quit = false;
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return quit;
}

LRESULT SendOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kReplyTimeoutMs,
                              &result) == 0) {
        DWORD error = ::GetLastError();
        throw std::runtime_error("window " + std::to_string(reinterpret_cast<uintptr_t>(window)) +
                                 " did not answer message " + std::to_string(message) +
                                 " within 5 s (error " + std::to_string(error) + ")");
    }
    return static_cast<LRESULT>(result);
}

void WaitUntilIdle(HWND window) { SendOrThrow(window, WM_NULL, 0, 0); }

bool SelectRow(HWND list, int row) {
    // -1 clears the selection, and LB_SETCURSEL then answers LB_ERR as well.
    bool taken =
        SendOrThrow(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0) != LB_ERR || row == -1;
    SendOrThrow(::GetParent(list), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), LBN_SELCHANGE),
                reinterpret_cast<LPARAM>(list));
    return taken;
}

void PostClick(HWND button) {
    if (button == nullptr || !::PostMessageW(button, BM_CLICK, 0, 0)) {
        throw std::runtime_error("could not post a click to the button");
    }
}

void SendClick(HWND button) {
    SendOrThrow(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                reinterpret_cast<LPARAM>(button));
}

std::string FontOf(HWND control) {
    auto font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA described{};
    if (font == nullptr || ::GetObjectA(font, sizeof described, &described) == 0) {
        return "no font";
    }
    return std::string(described.lfFaceName) + " " + std::to_string(described.lfHeight);
}

std::string Tahoma(int tenthsOfPoint, int dpi) {
    return "Tahoma " + std::to_string(-::MulDiv(tenthsOfPoint, dpi, 720));
}

} // namespace testkit
