#include "app/controls.h"

namespace app {

namespace {

struct KindStyle {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

KindStyle StyleOf(ControlKind kind) {
    constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
    switch (kind) {
    case ControlKind::Button:
        return {"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::ListBox:
        return {"LISTBOX", kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                WS_EX_CLIENTEDGE};
    case ControlKind::TextBox:
        return {"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE};
    case ControlKind::MapTextBox:
        return {"EDIT",
                kChild | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                    ES_AUTOVSCROLL,
                WS_EX_CLIENTEDGE};
    case ControlKind::Label:
    case ControlKind::FittingLabel:
        return {"STATIC", kChild | SS_LEFT, 0};
    }
    return {"STATIC", kChild, 0};
}

} // namespace

TwipsScale TwipsScale::ForScreen() {
    sys::WindowDc screen(nullptr);
    int dpi = screen.Get() != nullptr ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    return TwipsScale(dpi > 0 ? dpi : 96);
}

RECT TwipsScale::ToPixels(const TwipsRect& rect) const {
    return RECT{ToPixels(rect.left), ToPixels(rect.top), ToPixels(rect.left + rect.width),
                ToPixels(rect.top + rect.height)};
}

sys::Font CreateTahoma(int tenthsOfPoint, const TwipsScale& scale) {
    int height = -::MulDiv(tenthsOfPoint, scale.Dpi(), 720);
    return sys::Font(::CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, "Tahoma"));
}

HWND CreateControl(HWND parent, int id, const ControlSpec& layout, const TwipsScale& scale,
                   HFONT font) {
    KindStyle kind = StyleOf(layout.kind);
    RECT box = scale.ToPixels(layout.rect);
    HWND control = ::CreateWindowExA(
        kind.exStyle, kind.className, layout.caption, kind.style, box.left, box.top,
        box.right - box.left, box.bottom - box.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    if (control != nullptr) {
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (layout.kind == ControlKind::FittingLabel) {
            FitLabelToText(control);
        }
    }
    return control;
}

std::string GetText(HWND window) {
    int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void SetText(HWND window, const std::string& text) { ::SetWindowTextA(window, text.c_str()); }

void MoveDialogFocus(HWND form, WPARAM wParam, LPARAM lParam) {
    HWND target = LOWORD(lParam) != 0
                      ? reinterpret_cast<HWND>(wParam)
                      : ::GetNextDlgTabItem(form, ::GetFocus(), wParam != 0 ? TRUE : FALSE);
    if (target != nullptr) {
        ::SetFocus(target);
    }
}

void FitLabelToText(HWND label) {
    std::string text = GetText(label);
    sys::WindowDc dc(label);
    auto font = reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0));
    sys::SelectedObject selected(dc.Get(), font);
    RECT extent{0, 0, 0, 0};
    ::DrawTextA(dc.Get(), text.empty() ? " " : text.c_str(), -1, &extent,
                DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
    int width = text.empty() ? 0 : extent.right - extent.left;
    ::SetWindowPos(label, nullptr, 0, 0, width, extent.bottom - extent.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetCaption(HWND label, const std::string& text, bool fitsText) {
    if (GetText(label) == text) {
        return; // most refreshes write the captions they already show
    }
    SetText(label, text);
    if (fitsText) {
        FitLabelToText(label);
    }
    // A static control does not erase what a longer caption left behind.
    ::InvalidateRect(label, nullptr, TRUE);
}

void ReserveListRows(HWND list, const std::vector<std::string>& rows) {
    size_t bytes = 0;
    for (const std::string& row : rows) {
        bytes += row.size() + 1;
    }
    ::SendMessageA(list, LB_INITSTORAGE, rows.size(), bytes);
}

void ReplaceListRows(HWND list, const std::vector<std::string>& rows) {
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    ReserveListRows(list, rows);
    for (const std::string& row : rows) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void ClearList(HWND list) { ::SendMessageA(list, LB_RESETCONTENT, 0, 0); }

int SelectedRow(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)); }

int RowCount(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0)); }

std::string RowText(HWND list, int row) {
    auto length = ::SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length == LB_ERR) {
        return std::string();
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    auto copied = ::SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

} // namespace app
