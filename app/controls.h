#pragma once
// Control plumbing shared by both forms: layout in twips converted with the
// display's real DPI, the Tahoma fonts, and list, label and text box access.

#include "system/handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace app {

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

HWND CreateControl(HWND parent, int id, const ControlSpec& layout, const TwipsScale& scale,
                   HFONT font);

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
// Replaces every row of a list box, in order, with redraw switched off while it fills.
void ReplaceListRows(HWND list, const std::vector<std::string>& rows);
void ClearList(HWND list);
int SelectedRow(HWND list); // -1 when nothing is selected
int RowCount(HWND list);
std::string RowText(HWND list, int row);

} // namespace app
