#include "tests/blackbox/memory_map_window.h"

#include "tests/blackbox/remote_window.h"
#include "tests/blackbox/row_text.h"
#include "tests/kit/handles.h"
#include "tests/kit/window_reading.h"

#include <stdexcept>

namespace blackbox {

using main_window::MainControl;
using memory_map::MapControl;
using testkit::OpenClipboardScope;

void EmptyTheClipboard() {
    OpenClipboardScope clipboard;
    if (!clipboard.IsOpen() || !::EmptyClipboard()) {
        throw std::runtime_error("could not empty the clipboard");
    }
}

std::string ClipboardText(UINT format) {
    // Opening the clipboard while the viewer is about to write it would make the
    // viewer's OpenClipboard fail (access denied), so look before opening.
    if (!::IsClipboardFormatAvailable(format)) {
        return std::string();
    }
    OpenClipboardScope clipboard;
    if (!clipboard.IsOpen()) {
        return std::string();
    }
    HANDLE data = ::GetClipboardData(format);
    const void* bytes = data != nullptr ? ::GlobalLock(data) : nullptr;
    if (bytes == nullptr) {
        return std::string();
    }
    std::string copy = format == CF_UNICODETEXT ? Narrow(static_cast<const wchar_t*>(bytes))
                                                : std::string(static_cast<const char*>(bytes));
    ::GlobalUnlock(data);
    return copy;
}

MemoryMapWindow::MemoryMapWindow(const ViewerSession& viewer) : viewer_(viewer) {
    PostClick(viewer_.Control(MainControl::cmdMemMap));
    window_ = viewer_.WaitForForm(memory_map::kMemMapCaption);
    WaitUntilIdle(window_);
}

HWND MemoryMapWindow::Control(MapControl control) const {
    return ControlOf(window_, testkit::MapControlId(control), "the memory map window");
}

// WM_GETTEXT of an edit control works across processes; the W form keeps it whole.
std::string MemoryMapWindow::MapText() const { return WindowText(Control(MapControl::txtMemMap)); }

std::string MemoryMapWindow::FreeText() const { return WindowText(Control(MapControl::txtFree)); }

void MemoryMapWindow::MapAll(const std::string& processName) {
    PostClick(Control(MapControl::cmdMap));
    std::string caption = "Memory Map: " + processName;
    viewer_.WaitFor("the caption \"" + caption + "\"",
                    [&] { return WindowText(window_) == caption; });
    WaitUntilIdle(window_);
}

void MemoryMapWindow::MapFreeOnly() {
    std::string fullMap = MapText();
    PostClick(Control(MapControl::cmdMapFree));
    viewer_.WaitFor("the free-only map", [&] {
        std::string text = MapText();
        return !text.empty() && text != fullMap;
    });
    WaitUntilIdle(window_); // the free page count is written after the map
}

std::string MemoryMapWindow::CopyToClipboard() {
    EmptyTheClipboard();
    PostClick(Control(MapControl::cmdToClip));
    std::string copied;
    // Read while the viewer runs: the clipboard empties soon after its owner ends.
    viewer_.WaitFor("the map on the clipboard", [&] {
        copied = ClipboardText();
        return !copied.empty();
    });
    return copied;
}

void MemoryMapWindow::Close() {
    PostClick(Control(MapControl::cmdClose));
    viewer_.WaitFor("the memory map window to close", [this] { return !::IsWindow(window_); });
}

} // namespace blackbox
