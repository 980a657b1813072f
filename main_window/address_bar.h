#pragma once
// The address-space bar: 0 to 4 GB from left to right (for a 64-bit process the
// whole gigabytes its modules span), a box per module and per driver, ticks at
// the quarters, and the white mark of the selected item. Geometry is computed in
// twips; AddressBar paints it into an off-screen bitmap from which the window
// repaints, so the picture survives being covered.

#include "app/controls.h"
#include "system/address.h"
#include "system/handles.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
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

// The addresses [start, end) the bar stands for: 0 to 4 GB, or for a 64-bit
// process the lowest module base rounded down and the highest module end rounded
// up to whole gigabytes.
struct BarScale {
    uint64_t start = 0;
    uint64_t end = uint64_t{1} << 32;
    bool fourGigabytes = true; // the 4 GB bar, with its fixed labels

    bool Contains(uint64_t address) const { return address >= start && address < end; }
    friend bool operator==(const BarScale&, const BarScale&) = default;
};

// The scale for a module table: the 4 GB bar for 32-bit addresses and for an empty table.
BarScale ModuleBarScale(const std::vector<sys::Address>& bases, const std::vector<uint64_t>& sizes,
                        int32_t count, sys::AddressWidth width);

// Twips from the bar's left end: floor((a - S) / (E - S) * W) for an address,
// floor(n / (E - S) * W) for a length.
int BarOffset(uint64_t address, int barWidth, const BarScale& scale = BarScale{});
int BarLength(uint64_t length, int barWidth, const BarScale& scale = BarScale{});

// The whole bar for the current module and driver tables, in painting order. A
// driver outside the scale gets no box.
std::vector<TwipsBox> BarBoxes(const app::TwipsRect& bar, const BarScale& scale,
                               const std::vector<sys::Address>& moduleBases,
                               const std::vector<uint64_t>& moduleSizes, int32_t moduleCount,
                               const std::vector<sys::Address>& driverBases, int32_t driverCount);

std::vector<TwipsBox> TickBoxes(const app::TwipsRect& bar);

// The white mark at an address, `markWidth` twips wide, down into the strip below.
TwipsBox MarkBox(const app::TwipsRect& bar, const BarScale& scale, uint64_t address, int markWidth);

// The captions over the bar from left to right: its start, the three quarter
// points and its end ("0", "1GB=&&H4000 0000", ... "4GB" for the 4 GB bar;
// "&&H7FF6 4000 0000" and so on otherwise), with && for the & a label shows.
inline constexpr int kBarLabelCount = 5;
std::array<std::string, kBarLabelCount> BarLabelTexts(const BarScale& scale);

// Left edges, in twips, for labels of these widths that name the bar's start,
// quarters and end: the first starts at the bar's left end, the last ends at its
// right end, the others are centred on their ticks; then they are moved apart
// just enough not to overlap and kept inside [0, clientWidth).
std::array<int, kBarLabelCount> BarLabelLefts(const app::TwipsRect& bar,
                                              const std::array<int, kBarLabelCount>& widths,
                                              int clientWidth);

class AddressBar {
public:
    AddressBar() = default;
    AddressBar(const AddressBar&) = delete;
    AddressBar& operator=(const AddressBar&) = delete;

    // Makes the off-screen picture for a window's client area, filled with its background.
    void Attach(HWND window, const app::TwipsScale& scale);

    void Paint(const std::vector<TwipsBox>& boxes);
    // Copies the picture to the screen for WM_PAINT.
    void Show(HDC target, const RECT& area) const;

private:
    // The pixels a box covers in the picture.
    RECT PixelArea(const TwipsBox& box) const;

    HWND window_ = nullptr;
    const app::TwipsScale* scale_ = nullptr;
    sys::MemoryDc dc_;
    sys::Bitmap bitmap_;
    std::optional<sys::SelectedObject> picture_; // bitmap_ in dc_, until either goes
};

} // namespace main_window
