#pragma once
// What the program's forms share: the window and its controls, the twips scale and
// the dialog font they are laid out with, the creation of both, the messages every
// form answers alike, and the bookkeeping at the window's end. FormProcedure
// (form_host.h) stores the form at WM_NCCREATE and forgets it at WM_NCDESTROY.
//
// Derived, the form itself, offers OnCreate(), OnCommand(id, notification),
// OnClose(), and OnMessage(message, wParam, lParam), which returns whether it
// handled one of its own messages.

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
    DWORD exStyle; // with WS_EX_CONTROLPARENT, the mark of a form (message_loop.cpp)
};

template <typename Derived, typename ControlName, int kControlCount> class Form {
public:
    using ControlSpecs = std::array<ControlSpec, kControlCount>;

    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return window_; }
    HWND Control(ControlName control) const { return controls_[static_cast<int>(control)]; }
    const TwipsScale& Scale() const { return scale_; }
    sys::Os& GetOs() { return os_; }

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto& form = static_cast<Derived&>(*this);
        switch (message) {
        case WM_CREATE:
            MakeControls(window);
            form.OnCreate();
            return 0;
        case WM_COMMAND:
            form.OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CLOSE:
            form.OnClose();
            return 0;
        case WM_NCDESTROY:
            window_ = nullptr;
            controls_.fill(nullptr);
            break;
        default:
            if (form.OnMessage(message, wParam, lParam)) {
                return 0;
            }
            break;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

protected:
    // The controls are made from `specs` when the window is created, with ids from
    // firstId on in the table's order.
    Form(sys::Os& os, HINSTANCE instance, const ControlSpecs& specs, int firstId)
        : os_(os), instance_(instance), scale_(TwipsScale::ForScreen()),
          font_(CreateTahoma(90, scale_)), specs_(specs), firstId_(firstId) {}
    // The form's own destructor calls Destroy: the window procedure still needs the
    // whole form while the window goes.
    ~Form() = default;

    // The outer size of a window whose client area is the given twips.
    SIZE FrameSize(const FormClass& form, int clientWidth, int clientHeight) const {
        RECT frame{0, 0, scale_.ToPixels(clientWidth), scale_.ToPixels(clientHeight)};
        ::AdjustWindowRectEx(&frame, form.style, FALSE, form.exStyle);
        return {frame.right - frame.left, frame.bottom - frame.top};
    }

    // Which handler a control's notification runs.
    struct Handler {
        ControlName control;
        int notification;
        void (Derived::*run)();
    };

    // Runs the handler of a WM_COMMAND from a control, if the table has one.
    template <size_t kCount>
    void RunHandler(const std::array<Handler, kCount>& handlers, int id, int notification) {
        for (const Handler& handler : handlers) {
            if (id == firstId_ + static_cast<int>(handler.control) &&
                notification == handler.notification) {
                return (static_cast<Derived*>(this)->*handler.run)();
            }
        }
    }

    // Registers the class once and creates the form's window.
    void CreateFormWindow(const FormClass& form, const char* caption, POINT position, SIZE size,
                          HWND owner) {
        RegisterFormClass(instance_, form.name, FormProcedure<Derived>);
        ::CreateWindowExA(form.exStyle, form.name, caption, form.style, position.x, position.y,
                          size.cx, size.cy, owner, nullptr, instance_, static_cast<Derived*>(this));
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

private:
    void MakeControls(HWND window) {
        window_ = window;
        for (int i = 0; i < kControlCount; ++i) {
            controls_[i] = CreateControl(window_, firstId_ + i, specs_[i], scale_, font_.Get());
        }
    }

    const ControlSpecs& specs_;
    int firstId_;
};

} // namespace app
