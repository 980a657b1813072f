#pragma once
// What the program's forms share: the window and its controls, the twips scale and
// the dialog font they are laid out with, the creation of both, the messages every
// form answers alike, and the bookkeeping at the window's end. FormProcedure
// (form_host.h) stores the form at WM_NCCREATE and forgets it at WM_NCDESTROY.
//
// Derived, the form itself, offers OnCreate(), OnCommand(id, notification),
// OnClose(), OnRescaled() for what it draws or sizes itself after the controls were
// laid out at a new DPI, and OnMessage(message, wParam, lParam), which returns
// whether it handled one of its own messages.

#include "app/controls.h"
#include "app/form_host.h"
#include "system/handles.h"
#include "system/os.h"

#include <windows.h>

#include <array>
#include <utility>

namespace app {

// Declared by the headers for Windows 7 on only; sent from Windows 8.1 on.
inline constexpr UINT kWmDpiChanged = 0x02E0;

struct FormClass {
    const char* name;
    DWORD style;
    DWORD exStyle;   // with WS_EX_CONTROLPARENT, the mark of a form (message_loop.cpp)
    int clientWidth; // twips
    int clientHeight;
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
        case kWmDpiChanged:
            OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
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

    // The outer size of the form's window around its client area in twips.
    SIZE FrameSize(const FormClass& form) const { return FrameSize(form, scale_); }
    static SIZE FrameSize(const FormClass& form, const TwipsScale& scale) {
        RECT client{0, 0, scale.ToPixels(form.clientWidth), scale.ToPixels(form.clientHeight)};
        RECT frame = FrameAround(client, form.style, form.exStyle, scale.Dpi());
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

    // Registers the class once and creates the form's window, laid out at the DPI of
    // the monitor it came up on.
    void CreateFormWindow(const FormClass& form, const char* caption, POINT position, HWND owner) {
        RegisterFormClass(instance_, form.name, FormProcedure<Derived>);
        SIZE size = FrameSize(form);
        ::CreateWindowExA(form.exStyle, form.name, caption, form.style, position.x, position.y,
                          size.cx, size.cy, owner, nullptr, instance_, static_cast<Derived*>(this));
        if (window_ != nullptr) {
            AdoptWindowDpi(form);
        }
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
    // The window takes the rectangle it is given and lays itself out again at `dpi`:
    // the same twips, the fonts made again at that size.
    void OnDpiChanged(int dpi, const RECT& suggested) {
        scale_ = TwipsScale(dpi);
        // The controls hold the old font until each has the new one.
        sys::Font previous = std::exchange(font_, CreateTahoma(90, scale_));
        for (int i = 0; i < kControlCount; ++i) {
            LayOutControl(controls_[i], specs_[i], scale_, font_.Get());
        }
        ::SetWindowPos(window_, nullptr, suggested.left, suggested.top,
                       suggested.right - suggested.left, suggested.bottom - suggested.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        static_cast<Derived&>(*this).OnRescaled();
        ::InvalidateRect(window_, nullptr, TRUE);
    }

    // A monitor of its own DPI (the screen DC tells the primary one's): the window
    // keeps its top-left corner and is laid out again at that DPI.
    void AdoptWindowDpi(const FormClass& form) {
        int dpi = WindowDpi(window_);
        if (dpi <= 0 || dpi == scale_.Dpi()) {
            return;
        }
        RECT frame;
        ::GetWindowRect(window_, &frame);
        SIZE size = FrameSize(form, TwipsScale(dpi));
        OnDpiChanged(dpi, RECT{frame.left, frame.top, frame.left + size.cx, frame.top + size.cy});
    }

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
