#pragma once
// The memory map window, shown modally over the main window.

#include "system/os.h"

#include <windows.h>

namespace memory_map {

// Opens a fresh memory map window for the hand-off process and returns when it closes.
void ShowMemoryMapModal(sys::Os& os, HWND owner);

} // namespace memory_map
