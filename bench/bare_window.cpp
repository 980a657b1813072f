// The floor under the viewer's start-up: the viewer's own window, with its manifest,
// font and every control of its layout, but without a single query of the system:
// the process list gets one made-up row and the focus at once. The benchmark times
// it from process start to the painted list, as it times the viewer.

#include "app/app_title.h"
#include "app/controls.h"
#include "main_window/main_layout.h"
#include "tests/kit/window_reading.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    WNDCLASSA form{};
    form.lpfnWndProc = ::DefWindowProcA;
    form.hInstance = instance;
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = "VelmoraBareWindow";
    ::RegisterClassA(&form);
    app::TwipsScale scale = app::TwipsScale::ForScreen();
    sys::Font font = app::CreateTahoma(90, scale);
    HWND window = ::CreateWindowExA(
        WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, form.lpszClassName, app::kAppTitle,
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
        scale.ToPixels(main_window::kClientWidthTwips),
        scale.ToPixels(main_window::kClientHeightTwips), nullptr, nullptr, instance, nullptr);
    for (int i = 0; i < main_window::kMainControlCount; ++i) {
        app::CreateControl(window, main_window::kFirstControlId + i, main_window::kMainControls[i],
                           scale, font.Get());
    }
    HWND list = ::GetDlgItem(window, testkit::ControlId(main_window::MainControl::lstProcesses));
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("8 - bare.exe (normal)"));
    ::ShowWindow(window, showCommand);
    ::SetFocus(list);
    ::UpdateWindow(window);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::DispatchMessageA(&message);
    }
    return 0;
}
