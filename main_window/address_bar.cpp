#include "main_window/address_bar.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace main_window {

namespace {

constexpr uint64_t kGigabyte = uint64_t{1} << 30;
constexpr int kStripBelow = 100;
constexpr int kTickWidth = 20;
constexpr int kLabelGap = 60; // twips kept between two labels

BarColour Alternating(size_t k) { return k % 2 == 0 ? BarColour::Red : BarColour::Blue; }

uint64_t RoundUpToGigabyte(uint64_t address) {
    constexpr uint64_t kHighestGigabyte = ~uint64_t{0} & ~(kGigabyte - 1);
    return address > kHighestGigabyte ? kHighestGigabyte
                                      : (address + kGigabyte - 1) & ~(kGigabyte - 1);
}

// The left edge of the tick at quarter 1, 2 or 3 of the bar.
int TickLeft(const app::TwipsRect& bar, int quarter) { return bar.left + quarter * bar.width / 4; }

} // namespace

BarScale ModuleBarScale(const std::vector<sys::Address>& bases, const std::vector<uint64_t>& sizes,
                        int32_t count, sys::AddressWidth width) {
    if (width == sys::AddressWidth::Bits32 || count <= 0) {
        return BarScale{};
    }
    uint64_t lowest = ~uint64_t{0};
    uint64_t highestEnd = 0;
    for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
        uint64_t base = bases.at(k).Unsigned();
        // A hostile size must not wrap the end round to a low address.
        uint64_t end = base + std::min(sizes.at(k), ~uint64_t{0} - base);
        lowest = std::min(lowest, base);
        highestEnd = std::max(highestEnd, end);
    }
    BarScale scale{lowest & ~(kGigabyte - 1), RoundUpToGigabyte(highestEnd), false};
    if (scale.end <= scale.start) { // modules of no size, or at the very top
        if (scale.start + kGigabyte > scale.start) {
            scale.end = scale.start + kGigabyte;
        } else {
            scale.start = scale.end - kGigabyte;
        }
    }
    return scale;
}

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

int BarLength(uint64_t length, int barWidth, const BarScale& scale) {
    // Division first, then the width, as the 4 GB bar has always scaled.
    double span = static_cast<double>(scale.end - scale.start);
    return static_cast<int>(std::floor(static_cast<double>(length) / span * barWidth));
}

int BarOffset(uint64_t address, int barWidth, const BarScale& scale) {
    return BarLength(address - scale.start, barWidth, scale);
}

std::vector<TwipsBox> TickBoxes(const app::TwipsRect& bar) {
    std::vector<TwipsBox> ticks;
    for (int quarter = 1; quarter <= 3; ++quarter) {
        // H / 2 is not rounded: a half twip lands where the pixel conversion puts it.
        ticks.push_back(
            {TickLeft(bar, quarter), bar.top, kTickWidth, bar.height / 2, BarColour::Black});
    }
    return ticks;
}

std::vector<TwipsBox> BarBoxes(const app::TwipsRect& bar, const BarScale& scale,
                               const std::vector<sys::Address>& moduleBases,
                               const std::vector<uint64_t>& moduleSizes, int32_t moduleCount,
                               const std::vector<sys::Address>& driverBases, int32_t driverCount) {
    std::vector<TwipsBox> boxes;
    boxes.reserve(static_cast<size_t>(moduleCount) + static_cast<size_t>(driverCount) + 5);
    boxes.push_back({bar.left, bar.top, bar.width, bar.height + kStripBelow, BarColour::Grey});
    boxes.push_back({bar.left, bar.top, bar.width, bar.height, BarColour::Black, true});
    for (size_t k = 0; k < static_cast<size_t>(moduleCount); ++k) {
        // Bases at or above 2 GB are placed by their unsigned address, inside the bar.
        boxes.push_back({bar.left + BarOffset(moduleBases[k].Unsigned(), bar.width, scale), bar.top,
                         BarLength(moduleSizes[k], bar.width, scale), bar.height, Alternating(k)});
    }
    for (size_t k = 0; k < static_cast<size_t>(driverCount); ++k) {
        uint64_t base = driverBases[k].Unsigned();
        if (scale.Contains(base)) {
            boxes.push_back({bar.left + BarOffset(base, bar.width, scale), bar.top,
                             kDriverMarkWidth, bar.height, Alternating(k)});
        }
    }
    for (const TwipsBox& tick : TickBoxes(bar)) {
        boxes.push_back(tick);
    }
    return boxes;
}

TwipsBox MarkBox(const app::TwipsRect& bar, const BarScale& scale, uint64_t address,
                 int markWidth) {
    return {bar.left + BarOffset(address, bar.width, scale), bar.top, markWidth,
            bar.height + kStripBelow, BarColour::White};
}

std::array<std::string, kBarLabelCount> BarLabelTexts(const BarScale& scale) {
    if (scale.fourGigabytes) {
        return {"0", "1GB=&&H4000 0000", "2GB=&&H8000 0000", "3GB=&&HC000 0000", "4GB"};
    }
    std::array<std::string, kBarLabelCount> texts;
    uint64_t quarter = (scale.end - scale.start) / 4; // whole gigabytes: exact
    for (size_t k = 0; k < texts.size(); ++k) {
        uint64_t point = k + 1 == texts.size() ? scale.end : scale.start + k * quarter;
        texts[k] = "&&H" + sys::Address(point, sys::AddressWidth::Bits64).GroupedHex();
    }
    return texts;
}

std::array<int, kBarLabelCount> BarLabelLefts(const app::TwipsRect& bar,
                                              const std::array<int, kBarLabelCount>& widths,
                                              int clientWidth) {
    std::array<int, kBarLabelCount> lefts{};
    lefts.front() = bar.left;
    for (int k = 1; k + 1 < kBarLabelCount; ++k) {
        lefts[k] = TickLeft(bar, k) + kTickWidth / 2 - widths[k] / 2;
    }
    lefts.back() = bar.left + bar.width - widths.back();
    int total = 0;
    for (int width : widths) {
        total += width;
    }
    // A narrower gap where the texts take nearly the whole width.
    int gap = std::clamp((clientWidth - total) / (kBarLabelCount - 1), 0, kLabelGap);
    // Apart from the left, then from the right, then inside the window.
    for (int k = 1; k < kBarLabelCount; ++k) {
        lefts[k] = std::max(lefts[k], lefts[k - 1] + widths[k - 1] + gap);
    }
    lefts.back() = std::min(lefts.back(), clientWidth - widths.back());
    for (int k = kBarLabelCount - 2; k >= 0; --k) {
        lefts[k] = std::min(lefts[k], lefts[k + 1] - widths[k] - gap);
    }
    lefts.front() = std::max(lefts.front(), 0);
    return lefts;
}

void AddressBar::Attach(HWND window, const app::TwipsScale& scale) {
    window_ = window;
    scale_ = &scale;
    RECT client;
    ::GetClientRect(window, &client);
    sys::WindowDc screen(window);
    picture_.reset(); // a bitmap cannot be deleted while selected
    dc_ = sys::MemoryDc(screen.Get());
    bitmap_ = sys::Bitmap(::CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
    picture_.emplace(dc_.Get(), bitmap_.Get());
    ::FillRect(dc_.Get(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
}

RECT AddressBar::PixelArea(const TwipsBox& box) const {
    // A box covers both corner points, so a width of 0 is one pixel wide.
    return RECT{scale_->ToPixels(box.x), scale_->ToPixels(box.y),
                scale_->ToPixels(box.x + box.w) + 1, scale_->ToPixels(box.y + box.h) + 1};
}

void AddressBar::Paint(const std::vector<TwipsBox>& boxes) {
    if (dc_.Get() == nullptr) {
        return;
    }
    // One brush per colour for the whole paint: a bar of a thousand modules is
    // otherwise a thousand brushes made and deleted.
    std::array<sys::Brush, static_cast<size_t>(BarColour::White) + 1> brushes;
    RECT dirty{0, 0, 0, 0};
    for (const TwipsBox& box : boxes) {
        RECT area = PixelArea(box);
        sys::Brush& brush = brushes[static_cast<size_t>(box.colour)];
        if (!brush) {
            brush = sys::Brush(::CreateSolidBrush(ToColorRef(box.colour)));
        }
        if (box.framed) {
            ::FrameRect(dc_.Get(), &area, brush.Get());
        } else {
            ::FillRect(dc_.Get(), &area, brush.Get());
        }
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

} // namespace main_window
