#include "tests/kit/window_reading.h"

#include "system/handles.h"

#include <cstring>

namespace testkit {

ClientPixels::ClientPixels(HWND window) {
    ::UpdateWindow(window);
    RECT client{};
    ::GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    sys::WindowDc screen(window);
    sys::MemoryDc copy(screen.Get());
    void* bits = nullptr;
    sys::Bitmap bitmap(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) {
        width_ = height_ = 0;
        return;
    }
    {
        sys::SelectedObject selected(copy.Get(), bitmap.Get());
        ::BitBlt(copy.Get(), 0, 0, width_, height_, screen.Get(), 0, 0, SRCCOPY);
    }
    ::GdiFlush();
    pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    std::memcpy(pixels_.data(), bits, pixels_.size() * sizeof(uint32_t));
}

COLORREF ClientPixels::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return CLR_INVALID;
    }
    uint32_t pixel = pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

} // namespace testkit
