#pragma once
// What the program's forms share: the window and its controls, the twips scale and
// the dialog font they are laid out with, the creation of both, and the bookkeeping
// at the window's end. FormProcedure (form_host.h) stores the form at WM_NCCREATE
// and forgets it at WM_NCDESTROY; the form hands WM_CREATE to MakeControls and
// WM_NCDESTROY to Forget.

#include "app/controls.h"
#include "app/form_host.h"
#include "system/handles.h"
#include "system/os.h"

#include <windows.h>

#include <array>

namespace app {

struct FormClass {
    const char* name;
    DWORD style;
    DWORD exStyle;
};

template <typename ControlName, int kControlCount> class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return window_; }
    HWND Control(ControlName control) const { return controls_[static_cast<int>(control)]; }
    const TwipsScale& Scale() const { return scale_; }
    sys::Os& GetOs() { return os_; }

protected:
    Form(sys::Os& os, HINSTANCE instance)
        : os_(os), instance_(instance), scale_(TwipsScale::ForScreen()),
          font_(CreateTahoma(90, scale_)) {}
    // The form's own destructor calls Destroy: its window procedure still needs
    // the whole form while the window goes.
    ~Form() = default;

    // The outer size of a window whose client area is the given twips.
    SIZE FrameSize(const FormClass& form, int clientWidth, int clientHeight) const {
        RECT frame{0, 0, scale_.ToPixels(clientWidth), scale_.ToPixels(clientHeight)};
        ::AdjustWindowRectEx(&frame, form.style, FALSE, form.exStyle);
        return {frame.right - frame.left, frame.bottom - frame.top};
    }

    // Registers the class once and creates the window of `self`, the form itself.
    template <typename Derived> void CreateFormWindow(const FormClass& form, const char* caption,
                                                      POINT position, SIZE size, HWND owner,
                                                      Derived* self) {
        RegisterFormClass(instance_, form.name, FormProcedure<Derived>);
        ::CreateWindowExA(form.exStyle, form.name, caption, form.style, position.x, position.y,
                          size.cx, size.cy, owner, nullptr, instance_, self);
    }

    // At WM_CREATE: the window is known, and its controls are made from their table,
    // with ids from firstId on in the table's order.
    void MakeControls(HWND window, const std::array<ControlSpec, kControlCount>& specs,
                      int firstId) {
        window_ = window;
        for (int i = 0; i < kControlCount; ++i) {
            controls_[i] = CreateControl(window_, firstId + i, specs[i], scale_, font_.Get());
        }
    }

    // At WM_NCDESTROY: the window and its controls are gone.
    void Forget() {
        window_ = nullptr;
        controls_.fill(nullptr);
    }

    void Destroy() {
        if (window_ != nullptr) {
            ::DestroyWindow(window_);
        }
    }

    sys::Os& os_;
    HINSTANCE instance_;
    TwipsScale scale_;
    sys::Font font_;
    HWND window_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
};

} // namespace app
