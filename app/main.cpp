// Start-up: hand over to the 64-bit edition where it fits, else show the main
// window and run the message loop until it ends.

#include "app/hand_over.h"
#include "app/message_loop.h"
#include "app/uncaught_error.h"
#include "main_window/frm_enum_procs.h"
#include "res/resource_ids.h"
#include "system/windows_os.h"

#include <commctrl.h>
#include <windows.h>

#include <exception>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    sys::RestrictLibrarySearchToSystemFolder();
    sys::WindowsOs os;
    try {
        if (app::HandOverFromThe32BitEdition(os, showCommand) == app::HandOver::handedOver) {
            return 0;
        }
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_STANDARD_CLASSES;
        ::InitCommonControlsEx(&controls);
        main_window::frmEnumProcs form(os, instance);
        form.Show(showCommand);
        HACCEL keys = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN));
        return app::RunMessageLoop(form.Handle(), keys);
    } catch (...) {
        app::ReportUncaughtError(os, std::current_exception());
        return 1;
    }
}
