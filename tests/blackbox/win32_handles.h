#pragma once
// Owners of the kernel objects and the clipboard the black-box tests open: each is
// released exactly once, on every path.

#include <windows.h>

#include <utility>

namespace blackbox {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle)
        : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset() {
        if (handle_ != nullptr) {
            ::CloseHandle(std::exchange(handle_, nullptr));
        }
    }

private:
    HANDLE handle_ = nullptr;
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

} // namespace blackbox
