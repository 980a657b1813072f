#pragma once
// Reading and driving the windows of another process as a user's tools would.
// Every message is sent with a time limit, so a hung viewer fails a test instead
// of hanging it.

#include "tests/kit/messages.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace blackbox {

inline constexpr char kMessageBoxClass[] = "#32770";
inline constexpr int kMessageBoxTextId = 0xFFFF;

using testkit::PostClick;
using testkit::SelectRow;
using testkit::SendOrThrow;
using testkit::WaitUntilIdle;

// The control `id` of a window; throws when `windowName` has none.
HWND ControlOf(HWND window, int id, const std::string& windowName);

// UTF-16 in this program's code page (UTF-8, its manifest says).
std::string Narrow(const std::wstring& text);
std::string WindowText(HWND window);
std::string ClassOf(HWND window);

int RowCount(HWND list);
std::optional<std::string> TryRowText(HWND list, int row); // nullopt: no such row
std::string RowText(HWND list, int row);
std::vector<std::string> Rows(HWND list);
int SelectedRow(HWND list);

// WM_KEYDOWN and WM_KEYUP of one key, to the control that has the focus.
void PressKey(HWND control, WPARAM key);

enum class WindowKind { Form, MessageBox };

// The top-level windows of process `processId` with this caption.
std::vector<HWND> TopWindows(DWORD processId, const std::string& caption, WindowKind kind);
// The first of them, or nullptr.
HWND FindTopWindow(DWORD processId, const std::string& caption, WindowKind kind);
std::string MessageBoxText(HWND box);
// "caption: text" of each message box the process shows, for failure reports.
std::string OpenMessageBoxes(DWORD processId);

} // namespace blackbox
