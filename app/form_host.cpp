#include "app/form_host.h"

#include "res/resource_ids.h"

namespace app {

void RegisterFormClass(HINSTANCE instance, const char* className, WNDPROC procedure) {
    WNDCLASSEXA form{};
    form.cbSize = sizeof form;
    if (::GetClassInfoExA(instance, className, &form)) {
        return;
    }
    form.lpfnWndProc = procedure;
    form.hInstance = instance;
    form.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_VELMORA));
    form.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = className;
    ::RegisterClassExA(&form);
}

} // namespace app
