#include "app/controls.h"

#include "system/system_library.h"

#include <algorithm>
#include <array>

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
        return {"LISTBOX",
                kChild | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
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

// How far a list can scroll sideways: its extent less the width it shows.
int SidewaysRange(HWND list) {
    RECT client;
    ::GetClientRect(list, &client);
    int extent = static_cast<int>(::SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0));
    return std::max(extent - static_cast<int>(client.right), 0);
}

// Where a list is scrolled to: its top row, and how far sideways of how far it could.
// (An edit control keeps its first line through a new font and size by itself.)
struct ScrollPlace {
    int topRow = 0;
    int sideways = 0;
    int range = 0;
};

ScrollPlace ScrollPlaceOf(HWND control, ControlKind kind) {
    if (kind != ControlKind::ListBox) {
        return {};
    }
    return {static_cast<int>(::SendMessageA(control, LB_GETTOPINDEX, 0, 0)),
            ::GetScrollPos(control, SB_HORZ), SidewaysRange(control)};
}

// A list scrolled sideways goes back to the same share of how far it can scroll now.
void ScrollBackTo(HWND control, ControlKind kind, const ScrollPlace& place) {
    if (kind != ControlKind::ListBox) {
        return;
    }
    ::SendMessageA(control, LB_SETTOPINDEX, static_cast<WPARAM>(place.topRow), 0);
    if (place.sideways > 0 && place.range > 0) {
        int sideways = ::MulDiv(place.sideways, SidewaysRange(control), place.range);
        ::SendMessageA(control, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, sideways), 0);
    }
}

// A fitting label fits its text again and a list measures its rows again.
void ApplyFont(HWND control, ControlKind kind, HFONT font) {
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (kind == ControlKind::FittingLabel) {
        FitLabelToText(control);
    } else if (kind == ControlKind::ListBox) {
        RemeasureListRows(control);
    }
}

// How far a list scrolls sideways: its widest row in its own font, and an average
// character to spare, as the list draws its text a little in from its left edge.
int WidestRowExtent(HWND list, const std::vector<std::string>& rows) {
    if (rows.empty()) {
        return 0;
    }
    // A memory DC measures in the list's font as its own DC would, without asking
    // the window system for the list's visible region, which under Wine costs a
    // round trip to its server on every fill.
    sys::MemoryDc dc(nullptr);
    auto font = reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0));
    sys::SelectedObject selected(dc.Get(), font);
    // The widths of all 256 characters at once: a text extent asked of GDI for each
    // row would make a fill of 100,000 rows take twice as long.
    std::array<INT, 256> widths{};
    ::GetCharWidth32A(dc.Get(), 0, 255, widths.data());
    int widest = 0;
    for (const std::string& row : rows) {
        int width = 0;
        bool singleBytes = true;
        for (unsigned char character : row) {
            width += widths[character];
            singleBytes = singleBytes && character < 0x80;
        }
        // A byte past ASCII may be part of a character of several (UTF-8): GDI
        // measures such a row as a whole.
        SIZE extent{};
        if (!singleBytes &&
            ::GetTextExtentPoint32A(dc.Get(), row.c_str(), static_cast<int>(row.size()), &extent)) {
            width = extent.cx;
        }
        widest = std::max(widest, width);
    }
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.Get(), &metrics);
    return widest + metrics.tmAveCharWidth;
}

// Most refreshes measure the extent the list already has: its scroll bar is then
// left alone.
void SetHorizontalExtent(HWND list, int extent) {
    if (::SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0) != extent) {
        ::SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
    }
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

int WindowDpi(HWND window) {
    // From Windows 10 1607 on.
    static sys::Bound<UINT(WINAPI*)(HWND)> getDpiForWindow{sys::User32(), "GetDpiForWindow"};
    auto getDpi = getDpiForWindow.TryGet();
    return getDpi != nullptr ? static_cast<int>(getDpi(window)) : 0;
}

RECT FrameAround(RECT client, DWORD style, DWORD exStyle, int dpi) {
    // From Windows 10 1607 on: the frame as thick as it is drawn at that DPI.
    static sys::Bound<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)> adjustWindowRectForDpi{
        sys::User32(), "AdjustWindowRectExForDpi"};
    auto adjustForDpi = adjustWindowRectForDpi.TryGet();
    if (adjustForDpi == nullptr ||
        !adjustForDpi(&client, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        ::AdjustWindowRectEx(&client, style, FALSE, exStyle);
    }
    return client;
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
        SetControlFont(control, layout.kind, font);
    }
    return control;
}

void LayOutControl(HWND control, const ControlSpec& layout, const TwipsScale& scale, HFONT font) {
    // Read first: a list that grows before its font does shows rows from higher up.
    ScrollPlace place = ScrollPlaceOf(control, layout.kind);
    RECT box = scale.ToPixels(layout.rect);
    ::SetWindowPos(control, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyFont(control, layout.kind, font);
    ScrollBackTo(control, layout.kind, place);
}

void SetControlFont(HWND control, ControlKind kind, HFONT font) {
    ScrollPlace place = ScrollPlaceOf(control, kind);
    ApplyFont(control, kind, font);
    ScrollBackTo(control, kind, place);
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

namespace {

bool HoldsRows(HWND list, const std::vector<std::string>& rows) {
    if (RowCount(list) != static_cast<int>(rows.size())) {
        return false;
    }
    for (size_t row = 0; row < rows.size(); ++row) {
        if (RowText(list, static_cast<int>(row)) != rows[row]) {
            return false;
        }
    }
    return true;
}

} // namespace

// Showing a list again after a fill costs more than the fill itself (under Wine a
// few milliseconds for ten rows), and most refreshes fill the lists with the rows
// they already show: such a list is only put back as a fill leaves it, at its top,
// scrolled to its left, with no row selected.
void ReplaceListRows(HWND list, const std::vector<std::string>& rows) {
    if (HoldsRows(list, rows)) {
        ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ::SendMessageA(list, LB_SETTOPINDEX, 0, 0);
        ::SendMessageA(list, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
        return;
    }
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    ReserveListRows(list, rows);
    for (const std::string& row : rows) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    SetHorizontalExtent(list, WidestRowExtent(list, rows));
    ::InvalidateRect(list, nullptr, TRUE);
}

void RemeasureListRows(HWND list) {
    std::vector<std::string> rows(static_cast<size_t>(std::max(RowCount(list), 0)));
    for (size_t row = 0; row < rows.size(); ++row) {
        rows[row] = RowText(list, static_cast<int>(row));
    }
    SetHorizontalExtent(list, WidestRowExtent(list, rows));
}

void ClearList(HWND list) {
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SetHorizontalExtent(list, 0);
}

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
