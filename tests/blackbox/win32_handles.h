#pragma once
// Owners of the kernel objects and the clipboard the black-box tests open: each is
// released exactly once, on every path.

#include "tests/unique_handle.h"

#include <windows.h>

#include <utility>

namespace blackbox {

using testkit::UniqueHandle;

// The clipboard, open for this process until the end of the scope.
class OpenClipboardScope {
public:
    OpenClipboardScope() : open_(::OpenClipboard(nullptr) != FALSE) {}
    ~OpenClipboardScope() {
        if (open_) {
            ::CloseClipboard();
        }
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

    bool IsOpen() const { return open_; }

private:
    bool open_;
};

} // namespace blackbox
