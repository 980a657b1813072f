#pragma once
// The viewer's memory map window, opened for the selected process and driven
// through its buttons.

#include "memory_map/frm_mem_map.h"
#include "tests/blackbox/viewer_session.h"

#include <windows.h>

#include <string>

namespace blackbox {

// The clipboard as this program sees it; throws when it cannot be emptied.
void EmptyTheClipboard();
// CF_TEXT, or CF_UNICODETEXT in this program's code page; "" while the clipboard
// lacks it or another program has it open.
std::string ClipboardText(UINT format = CF_TEXT);

class MemoryMapWindow {
public:
    // Clicks MemMap in the main window (a process must be selected) and waits
    // for the window.
    explicit MemoryMapWindow(const ViewerSession& viewer);

    HWND Handle() const { return window_; }
    HWND Control(memory_map::MapControl control) const;
    std::string MapText() const;
    std::string FreeText() const;

    // "&Map": returns once the caption reads "Memory Map: <processName>".
    void MapAll(const std::string& processName);
    // "Map &Free Only": returns once the box no longer shows the full map.
    void MapFreeOnly();
    // "To Clip&board": returns the clipboard's text once it holds the copy.
    std::string CopyToClipboard();
    // "&Close": returns once the window is gone.
    void Close();

private:
    const ViewerSession& viewer_;
    HWND window_ = nullptr;
};

} // namespace blackbox
