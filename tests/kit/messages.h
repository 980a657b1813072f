#pragma once
// Driving windows as a user's clicks would, in this process or another: every
// message to another process is sent with a time limit, so a hung window fails a
// test instead of hanging it. And asking a control which font it draws with.

#include "app/controls.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testkit {

// Dispatches every message waiting for this thread. A WM_QUIT among them is
// dropped; returns whether one came.
bool PumpMessages();

// SendMessageTimeoutW; throws when the window does not answer within 5 s. A
// window of this thread is called directly, as by SendMessage.
LRESULT SendOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Returns once the window's thread has finished what it was doing and is back in
// its message loop: messages from other threads are only taken there.
void WaitUntilIdle(HWND window);

// Selects `row` of a list box (-1: none) and tells its parent, as a click would:
// LB_SETCURSEL alone does not notify. The parent is told even when the list has
// no such row; returns whether the list took the row.
bool SelectRow(HWND list, int row);

// Posted, not sent: a handler that opens a modal window would hold a sent message.
void PostClick(HWND button);
// Tells the button's parent it was clicked, as the button would, and returns once
// the parent has handled it.
void SendClick(HWND button);

// The face and height of the font a control of this process draws with (WM_GETFONT),
// as "Tahoma -12"; "no font" when it was given none and draws with the system font.
std::string FontOf(HWND control);
// The same for Tahoma of `tenthsOfPoint` at `dpi`: its character height in pixels,
// given as a negative height.
std::string Tahoma(int tenthsOfPoint, int dpi);

// WM_DPICHANGED as the system sends it when a window moves to a monitor of `dpi`,
// suggesting `frame`.
void SendDpiChanged(HWND window, int dpi, RECT frame);
// Sends it for a move to `toDpi` with a frame round the client area scaled from
// `fromDpi`, at the screen's top-left corner; returns the frame before.
RECT MoveToDpi(HWND window, int fromDpi, int toDpi);

// Each control of a form, ids from `firstId` on, as `12,40 120x20 Tahoma -12 "&Map"`:
// where it lies in the client area, its font and its text.
std::vector<std::string> Looks(HWND form, int firstId, int count);
// The same for controls made from `specs` at `scale` in Tahoma of 9 points, showing
// the texts in `looks`: a fitting label is as big as its text in that font.
std::vector<std::string> LooksAt(const app::ControlSpec* specs, const app::TwipsScale& scale,
                                 const std::vector<std::string>& looks);

} // namespace testkit
