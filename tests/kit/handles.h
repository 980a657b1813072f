#pragma once
// What the test and bench programs own of the system: a kernel handle (process,
// thread, file, pipe end) and the open clipboard, each released exactly once, on
// every path. The viewer's own owners are in system/handles.h; these need no Os.

#include <windows.h>

#include <memory>

namespace testkit {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle)
        : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}

    HANDLE Get() const { return handle_.get(); }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset() { handle_.reset(); }

private:
    struct Closer {
        void operator()(HANDLE handle) const { ::CloseHandle(handle); }
    };
    std::unique_ptr<void, Closer> handle_;
};

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

} // namespace testkit
