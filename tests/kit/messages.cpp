#include "tests/kit/messages.h"

#include "app/form.h"

#include <stdexcept>
#include <string>

namespace testkit {

namespace {

constexpr UINT kReplyTimeoutMs = 5000;

std::string Look(const RECT& box, const std::string& font, const std::string& text) {
    return std::to_string(box.left) + "," + std::to_string(box.top) + " " +
           std::to_string(box.right - box.left) + "x" + std::to_string(box.bottom - box.top) + " " +
           font + " \"" + text + "\"";
}

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

void SendDpiChanged(HWND window, int dpi, RECT frame) {
    ::SendMessageA(window, app::kWmDpiChanged, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&frame));
    PumpMessages();
}

RECT MoveToDpi(HWND window, int fromDpi, int toDpi) {
    RECT before;
    RECT client;
    ::GetWindowRect(window, &before);
    ::GetClientRect(window, &client);
    RECT frame = before;
    frame.right += ::MulDiv(client.right, toDpi, fromDpi) - client.right;
    frame.bottom += ::MulDiv(client.bottom, toDpi, fromDpi) - client.bottom;
    // Suggested at the screen's top left, so that the larger window stays on the screen.
    ::OffsetRect(&frame, -frame.left, -frame.top);
    SendDpiChanged(window, toDpi, frame);
    return before;
}

std::vector<std::string> Looks(HWND form, int firstId, int count) {
    std::vector<std::string> looks;
    for (int id = firstId; id < firstId + count; ++id) {
        HWND control = ::GetDlgItem(form, id);
        RECT box;
        ::GetWindowRect(control, &box);
        ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
        looks.push_back(Look(box, FontOf(control), app::GetText(control)));
    }
    return looks;
}

std::vector<std::string> LooksAt(const app::ControlSpec* specs, const app::TwipsScale& scale,
                                 const std::vector<std::string>& looks) {
    sys::Font font = app::CreateTahoma(90, scale);
    sys::WindowDc dc(nullptr);
    sys::SelectedObject selected(dc.Get(), font.Get());
    std::vector<std::string> expected;
    for (size_t i = 0; i < looks.size(); ++i) {
        std::string text = looks[i].substr(looks[i].find('"') + 1);
        text.pop_back();
        RECT box = scale.ToPixels(specs[i].rect);
        if (specs[i].kind == app::ControlKind::FittingLabel) {
            RECT line{0, 0, 0, 0}; // an empty label is as high as a space, and 0 wide
            ::DrawTextA(dc.Get(), text.empty() ? " " : text.c_str(), -1, &line,
                        DT_CALCRECT | DT_SINGLELINE);
            box.right = box.left + (text.empty() ? 0 : line.right);
            box.bottom = box.top + line.bottom;
        }
        expected.push_back(Look(box, Tahoma(90, scale.Dpi()), text));
    }
    return expected;
}

} // namespace testkit
