#pragma once
// Move-only owners of the system objects the viewer holds: each releases its
// object exactly once, on every path.

#include "system/os.h"

#include <utility>

namespace sys {

// A kernel object's handle (a process, a token, a snapshot), closed through the
// same Os that opened it. Give it nullptr, never INVALID_HANDLE_VALUE, for none.
class KernelHandle {
public:
    KernelHandle(Os& os, HANDLE handle) : os_(&os), handle_(handle) {}
    ~KernelHandle() { Reset(); }
    KernelHandle(KernelHandle&& other) noexcept
        : os_(other.os_), handle_(std::exchange(other.handle_, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            os_ = other.os_;
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    void Reset() {
        if (handle_ != nullptr) {
            os_->CloseHandle(std::exchange(handle_, nullptr));
        }
    }

    Os* os_;
    HANDLE handle_;
};

using ProcessHandle = KernelHandle;

// A GDI object (font, brush, bitmap, pen) deleted with DeleteObject.
template <typename T> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    T Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    void Reset() {
        if (object_ != nullptr) {
            ::DeleteObject(std::exchange(object_, nullptr));
        }
    }

    T object_ = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ::ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
class MemoryDc {
public:
    MemoryDc() = default;
    explicit MemoryDc(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() { Reset(); }
    MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDc& operator=(MemoryDc&& other) noexcept {
        if (this != &other) {
            Reset();
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC Get() const { return dc_; }

private:
    void Reset() {
        if (dc_ != nullptr) {
            ::DeleteDC(std::exchange(dc_, nullptr));
        }
    }

    HDC dc_ = nullptr;
};

// Selects an object into a DC for one scope and puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~SelectedObject() { ::SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint / EndPaint for one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
    ~PaintDc() { ::EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC Get() const { return dc_; }
    const RECT& Area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An open clipboard, closed again on every path.
class ClipboardSession {
public:
    ClipboardSession(Os& os, HWND owner) : os_(os), open_(os.OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession() {
        if (open_) {
            os_.CloseClipboard();
        }
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;

    bool IsOpen() const { return open_; }

private:
    Os& os_;
    bool open_;
};

// A movable global memory block, freed unless ownership passed to the system.
class GlobalMemory {
public:
    GlobalMemory(Os& os, HGLOBAL memory) : os_(os), memory_(memory) {}
    ~GlobalMemory() {
        if (memory_ != nullptr) {
            os_.GlobalFree(memory_);
        }
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;

    HGLOBAL Get() const { return memory_; }
    explicit operator bool() const { return memory_ != nullptr; }
    // After SetClipboardData succeeded the clipboard owns the block.
    void Release() { memory_ = nullptr; }

private:
    Os& os_;
    HGLOBAL memory_;
};

} // namespace sys
