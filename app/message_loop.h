#pragma once
// The program's message loops. Both give keyboard messages to IsDialogMessage
// first, so Tab, Shift+Tab and the access keys work in every form.

#include <windows.h>

namespace app {

// Runs until WM_QUIT; returns its exit code. Keys of `accelerators` are
// translated for `window` while it is enabled and holds the keyboard.
int RunMessageLoop(HWND window = nullptr, HACCEL accelerators = nullptr);

// Runs until `modal` is destroyed. A WM_QUIT seen meanwhile is posted again so
// that the outer loop ends as well.
void RunModalLoop(HWND modal);

} // namespace app
