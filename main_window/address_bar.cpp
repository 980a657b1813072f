#include "main_window/address_bar.h"

#include <cmath>

namespace main_window {

namespace {

constexpr double kAddressSpace = 4294967296.0;
constexpr int kStripBelow = 100;
constexpr int kTickWidth = 20;

BarColour Alternating(size_t k) { return k % 2 == 0 ? BarColour::Red : BarColour::Blue; }

} // namespace

COLORREF ToColorRef(BarColour colour) {
    switch (colour) {
    case BarColour::Grey:
        return RGB(192, 192, 192);
    case BarColour::Black:
        return RGB(0, 0, 0);
    case BarColour::Red:
        return RGB(255, 0, 0);
    case BarColour::Blue:
        return RGB(0, 0, 255);
    case BarColour::White:
        return RGB(255, 255, 255);
    }
    return RGB(0, 0, 0);
}

int BarOffset(uint32_t address, int barWidth) {
    return static_cast<int>(std::floor(address / kAddressSpace * barWidth));
}

std::vector<TwipsBox> TickBoxes(const app::TwipsRect& bar) {
    std::vector<TwipsBox> ticks;
    for (int quarter = 1; quarter <= 3; ++quarter) {
        // H / 2 is not rounded: a half twip lands where the pixel conversion puts it.
        ticks.push_back({bar.left + quarter * bar.width / 4, bar.top, kTickWidth, bar.height / 2,
                         BarColour::Black});
    }
    return ticks;
}

std::vector<TwipsBox> BarBoxes(const app::TwipsRect& bar, const std::vector<int32_t>& moduleBases,
                               const std::vector<int32_t>& moduleSizes, int32_t moduleCount,
                               const std::vector<uint32_t>& driverBases, int32_t driverCount) {
    std::vector<TwipsBox> boxes;
    boxes.reserve(static_cast<size_t>(moduleCount) + static_cast<size_t>(driverCount) + 5);
    boxes.push_back({bar.left, bar.top, bar.width, bar.height + kStripBelow, BarColour::Grey});
    boxes.push_back({bar.left, bar.top, bar.width, bar.height, BarColour::Black, true});
    for (size_t k = 0; k < static_cast<size_t>(moduleCount); ++k) {
        // Bases at or above 2 GB are placed by their unsigned address, inside the bar.
        boxes.push_back({bar.left + BarOffset(static_cast<uint32_t>(moduleBases[k]), bar.width),
                         bar.top, BarOffset(static_cast<uint32_t>(moduleSizes[k]), bar.width),
                         bar.height, Alternating(k)});
    }
    for (size_t k = 0; k < static_cast<size_t>(driverCount); ++k) {
        boxes.push_back({bar.left + BarOffset(driverBases[k], bar.width), bar.top, kDriverMarkWidth,
                         bar.height, Alternating(k)});
    }
    for (const TwipsBox& tick : TickBoxes(bar)) {
        boxes.push_back(tick);
    }
    return boxes;
}

TwipsBox MarkBox(const app::TwipsRect& bar, uint32_t address, int markWidth) {
    return {bar.left + BarOffset(address, bar.width), bar.top, markWidth, bar.height + kStripBelow,
            BarColour::White};
}

app::TwipsRect BarPaintArea(const app::TwipsRect& bar) {
    return {bar.left, bar.top, bar.width + kDriverMarkWidth, bar.height + kStripBelow};
}

AddressBar::~AddressBar() {
    if (dc_.Get() != nullptr) {
        ::SelectObject(dc_.Get(), original_); // a bitmap cannot be deleted while selected
    }
}

void AddressBar::Attach(HWND window, const app::TwipsScale& scale) {
    window_ = window;
    scale_ = &scale;
    RECT client;
    ::GetClientRect(window, &client);
    sys::WindowDc screen(window);
    if (dc_.Get() != nullptr) {
        ::SelectObject(dc_.Get(), original_);
    }
    dc_ = sys::MemoryDc(screen.Get());
    bitmap_ = sys::Bitmap(::CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
    original_ = ::SelectObject(dc_.Get(), bitmap_.Get());
    ::FillRect(dc_.Get(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
}

void AddressBar::Paint(const std::vector<TwipsBox>& boxes) {
    if (dc_.Get() == nullptr) {
        return;
    }
    for (const TwipsBox& box : boxes) {
        // A box covers both corner points, so a width of 0 is one pixel wide.
        RECT area{scale_->ToPixels(box.x), scale_->ToPixels(box.y),
                  scale_->ToPixels(box.x + box.w) + 1, scale_->ToPixels(box.y + box.h) + 1};
        sys::Brush brush(::CreateSolidBrush(ToColorRef(box.colour)));
        if (box.framed) {
            ::FrameRect(dc_.Get(), &area, brush.Get());
        } else {
            ::FillRect(dc_.Get(), &area, brush.Get());
        }
    }
    Invalidate(boxes);
}

void AddressBar::Invalidate(const std::vector<TwipsBox>& boxes) const {
    RECT dirty{0, 0, 0, 0};
    for (const TwipsBox& box : boxes) {
        RECT area{scale_->ToPixels(box.x), scale_->ToPixels(box.y),
                  scale_->ToPixels(box.x + box.w) + 1, scale_->ToPixels(box.y + box.h) + 1};
        ::UnionRect(&dirty, &dirty, &area);
    }
    ::InvalidateRect(window_, &dirty, FALSE);
}

void AddressBar::Show(HDC target, const RECT& area) const {
    if (dc_.Get() == nullptr) {
        return;
    }
    ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc_.Get(),
             area.left, area.top, SRCCOPY);
}

COLORREF AddressBar::PixelAt(int x, int y) const {
    return dc_.Get() == nullptr ? CLR_INVALID : ::GetPixel(dc_.Get(), x, y);
}

} // namespace main_window
