#pragma once
// Control plumbing shared by both forms: layout in twips converted with the
// display's real DPI, the Tahoma fonts, and list, label and text box access.

#include "system/handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace app {

// The hourglass while a long query runs on the window's thread, which takes no
// mouse messages meanwhile to change it back; the cursor shown before returns
// however the work ends.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

enum class ControlKind { Button, ListBox, TextBox, MapTextBox, Label, FittingLabel };

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* caption;
    TwipsRect rect;
};

// Twips are 1/1440 inch: 15 to a pixel at 96 DPI, 10 at 144 DPI.
class TwipsScale {
public:
    explicit TwipsScale(int dpi) : dpi_(dpi) {}
    static TwipsScale ForScreen();

    int Dpi() const { return dpi_; }
    int ToPixels(int twips) const { return ::MulDiv(twips, dpi_, 1440); }
    int ToTwips(int pixels) const { return ::MulDiv(pixels, 1440, dpi_); }
    // Edges are converted, not sizes, so neighbours never overlap by rounding.
    RECT ToPixels(const TwipsRect& rect) const;

private:
    int dpi_;
};

sys::Font CreateTahoma(int tenthsOfPoint, const TwipsScale& scale);

// The DPI of the monitor the window is on, for a program aware of each monitor's DPI;
// 0 where user32 has no GetDpiForWindow (before Windows 10 1607).
int WindowDpi(HWND window);
// The outer rectangle of a window whose client area is `client`, at `dpi`.
RECT FrameAround(RECT client, DWORD style, DWORD exStyle, int dpi);

HWND CreateControl(HWND parent, int id, const ControlSpec& layout, const TwipsScale& scale,
                   HFONT font);
// Moves a control to its place at `scale` and gives it `font`, as if it had been made
// at that scale (see SetControlFont).
void LayOutControl(HWND control, const ControlSpec& layout, const TwipsScale& scale, HFONT font);
// Gives a control a font: a fitting label fits its text again and a list measures its
// rows again; what a list or the map box shows from stays.
void SetControlFont(HWND control, ControlKind kind, HFONT font);

std::string GetText(HWND window);
void SetText(HWND window, const std::string& text);

// Answers WM_NEXTDLGCTL as a dialog would. A multi-line edit in a window that
// takes dialog keys asks its parent with that message to move on at Tab.
void MoveDialogFocus(HWND form, WPARAM wParam, LPARAM lParam);

// A label that fits its caption grows or shrinks from its top-left corner.
void FitLabelToText(HWND label);
void SetCaption(HWND label, const std::string& text, bool fitsText);

// Reserves the list box's storage for these rows before they are added.
void ReserveListRows(HWND list, const std::vector<std::string>& rows);
// Replaces every row of a list box, in order, with redraw switched off while it fills,
// and lets it scroll sideways as far as its widest row.
void ReplaceListRows(HWND list, const std::vector<std::string>& rows);
// Measures the rows a list box holds again, in its font, for how far it scrolls sideways.
void RemeasureListRows(HWND list);
void ClearList(HWND list);
int SelectedRow(HWND list); // -1 when nothing is selected
int RowCount(HWND list);
std::string RowText(HWND list, int row);

} // namespace app
