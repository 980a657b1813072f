#pragma once
// The address-space bar: 0 to 4 GB from left to right, a box per module and per
// driver, ticks at 1, 2 and 3 GB, and the white mark of the selected item.
// Geometry is computed in twips; AddressBar paints it into an off-screen
// bitmap from which the window repaints, so the picture survives being covered.

#include "app/controls.h"
#include "system/handles.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace main_window {

// A driver's box and its mark are this wide in twips, whatever the driver's size.
inline constexpr int kDriverMarkWidth = 10;

enum class BarColour { Grey, Black, Red, Blue, White };

COLORREF ToColorRef(BarColour colour);

struct TwipsBox {
    int x;
    int y;
    int w;
    int h;
    BarColour colour;
    bool framed = false; // edge only, one pixel wide
};

// Twips from the bar's left end for an address or a length: floor(a / 2^32 * W).
int BarOffset(uint32_t address, int barWidth);

// The whole bar for the current module and driver tables, in painting order.
std::vector<TwipsBox> BarBoxes(const app::TwipsRect& bar, const std::vector<int32_t>& moduleBases,
                               const std::vector<int32_t>& moduleSizes, int32_t moduleCount,
                               const std::vector<uint32_t>& driverBases, int32_t driverCount);

std::vector<TwipsBox> TickBoxes(const app::TwipsRect& bar);

// The white mark over [address, address + length), down into the strip below.
TwipsBox MarkBox(const app::TwipsRect& bar, uint32_t address, int markWidth);

// The part of the client area the bar may paint: the bar, the strip below it,
// and the driver boxes that run past its right end.
app::TwipsRect BarPaintArea(const app::TwipsRect& bar);

class AddressBar {
public:
    AddressBar() = default;
    ~AddressBar();
    AddressBar(const AddressBar&) = delete;
    AddressBar& operator=(const AddressBar&) = delete;

    // Makes the off-screen picture for a window's client area, filled with its background.
    void Attach(HWND window, const app::TwipsScale& scale);

    void Paint(const std::vector<TwipsBox>& boxes);
    // Copies the picture to the screen for WM_PAINT.
    void Show(HDC target, const RECT& area) const;
    COLORREF PixelAt(int x, int y) const;

private:
    void Invalidate(const std::vector<TwipsBox>& boxes) const;

    HWND window_ = nullptr;
    const app::TwipsScale* scale_ = nullptr;
    sys::MemoryDc dc_;
    sys::Bitmap bitmap_;
    HGDIOBJ original_ = nullptr;
};

} // namespace main_window
