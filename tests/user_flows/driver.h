#pragma once
// Driving another program's windows: finding them, reading their texts and
// list rows, and waiting, always for a bounded time.

#include "tests/programs.h"
#include "tests/unique_handle.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace user_flows {

using Handle = testkit::UniqueHandle;

using Started = testkit::StartedProcess;
using testkit::OwnExePath;
using testkit::StartProcess;
using testkit::ViewerPath;

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
bool SameText(const std::string& a, const std::string& b); // case-insensitive

} // namespace user_flows
