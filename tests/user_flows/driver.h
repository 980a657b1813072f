#pragma once
// Driving another program's windows: finding them, reading their texts and
// list rows, and waiting, always for a bounded time.

#include "tests/unique_handle.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace user_flows {

using Handle = testkit::UniqueHandle;

// A started program and its first thread.
struct Started {
    Handle process;
    DWORD pid = 0;
};

Started Start(const std::string& commandLine);
void Stop(Started& program);

// Polls `done` every 20 ms for up to `milliseconds`.
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds = 15000);

// A visible top-level window of the process with this exact caption and class (any if null).
HWND FindWindowOf(DWORD pid, const std::string& caption, const char* className = nullptr);

std::string Text(HWND window);                       // WM_GETTEXT, read in the wide form
std::vector<std::string> Rows(HWND list);            // LB_GETTEXT, read in the wide form
void SelectRow(HWND parent, int controlId, int row); // as a click: the parent is told
void Click(HWND button);                             // posted: the handler may open a modal window

std::vector<std::string> Split(const std::string& text, const std::string& separator);
std::string OwnExePath();
std::string ViewerPath(); // from VELMORA_EXE, a Unix path seen through drive Z:
bool SameText(const std::string& a, const std::string& b); // case-insensitive

} // namespace user_flows
