#include "main_window/address_bar.h"
#include "main_window/main_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using main_window::BarBoxes;
using main_window::BarColour;
using main_window::BarOffset;
using main_window::BarScale;
using main_window::kRectMem;
using main_window::TwipsBox;
using sys::Address;
using sys::AddressWidth;

namespace {

constexpr uint64_t kGigabyte = uint64_t{1} << 30;
const BarScale kFourGigabytes{};

std::vector<Address> At(AddressWidth width, std::initializer_list<uint64_t> values) {
    std::vector<Address> addresses;
    for (uint64_t value : values) {
        addresses.emplace_back(value, width);
    }
    return addresses;
}

bool Same(const TwipsBox& box, int x, int y, int w, int h, BarColour colour) {
    return box.x == x && box.y == y && box.w == w && box.h == h && box.colour == colour;
}

TEST(AddressBarGeometry, EmptyBarIsFieldFrameAndThreeTicks) {
    auto boxes = BarBoxes(kRectMem, kFourGigabytes, {}, {}, 0, {}, 0);
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_TRUE(Same(boxes[0], 180, 8040, 9132, 832, BarColour::Grey));
    EXPECT_TRUE(Same(boxes[1], 180, 8040, 9132, 732, BarColour::Black));
    EXPECT_TRUE(boxes[1].framed);
    EXPECT_TRUE(Same(boxes[2], 2463, 8040, 20, 366, BarColour::Black));
    EXPECT_TRUE(Same(boxes[3], 4746, 8040, 20, 366, BarColour::Black));
    EXPECT_TRUE(Same(boxes[4], 7029, 8040, 20, 366, BarColour::Black));
}

TEST(AddressBarGeometry, OffsetsRoundDown) {
    EXPECT_EQ(BarOffset(0x00400000, 9132), 8);
    EXPECT_EQ(BarOffset(0x100000, 9132), 2); // 1 MB
    EXPECT_EQ(BarOffset(0x10000, 9132), 0);  // 64 KB
    EXPECT_EQ(BarOffset(470320, 9132), 0);
    EXPECT_EQ(BarOffset(470321, 9132), 1);
    EXPECT_EQ(BarOffset(0x80000000u, 9132), 4566);
    EXPECT_EQ(BarOffset(0xFFFFF000u, 9132), 9131);
}

TEST(AddressBarGeometry, ModulesAndDriversAlternateRedAndBlueEachFromRed) {
    auto bases = At(AddressWidth::Bits32, {0x00400000, 0x10000000, 0x80001000});
    std::vector<uint64_t> sizes{0x100000, 0x10000, 0x2000};
    auto drivers = At(AddressWidth::Bits32, {0x80000000u, 0xFFFFF000u});
    auto boxes = BarBoxes(kRectMem, kFourGigabytes, bases, sizes, 3, drivers, 2);
    ASSERT_EQ(boxes.size(), 2u + 3 + 2 + 3);
    EXPECT_TRUE(Same(boxes[2], 188, 8040, 2, 732, BarColour::Red));
    EXPECT_TRUE(Same(boxes[3], 180 + 570, 8040, 0, 732, BarColour::Blue));
    // At or above 2 GB: placed by the unsigned address, inside the bar.
    EXPECT_TRUE(Same(boxes[4], 180 + 4566, 8040, 0, 732, BarColour::Red));
    EXPECT_TRUE(Same(boxes[5], 4746, 8040, 10, 732, BarColour::Red));
    EXPECT_TRUE(Same(boxes[6], 9311, 8040, 10, 732, BarColour::Blue)); // past the right end
    EXPECT_EQ(boxes.back().colour, BarColour::Black);                  // ticks on top
}

TEST(AddressBarGeometry, ACountOfZeroDrawsNoModulesWhateverTheArraysHold) {
    auto bases = At(AddressWidth::Bits32, {0x00400000});
    std::vector<uint64_t> sizes{0x100000};
    EXPECT_EQ(BarBoxes(kRectMem, kFourGigabytes, bases, sizes, 0, {}, 0).size(), 5u);
}

TEST(AddressBarGeometry, MarksReachIntoTheStrip) {
    auto mark = main_window::MarkBox(kRectMem, kFourGigabytes, 0x80000000u, 10);
    EXPECT_TRUE(Same(mark, 4746, 8040, 10, 832, BarColour::White));
}

// The bar of a 64-bit process spans the whole gigabytes its modules take; a
// 32-bit table and an empty one keep the 4 GB bar.
TEST(AddressBarScale, WholeGigabytesAroundTheModulesOfA64BitProcess) {
    auto wide = At(AddressWidth::Bits64, {0x7FFB12340000, 0x160000000, 0x7FFB56780000});
    std::vector<uint64_t> sizes{0x195000, 0x1A000, 0x40000000};
    BarScale scale = main_window::ModuleBarScale(wide, sizes, 3, AddressWidth::Bits64);
    EXPECT_EQ(scale.start, 0x140000000u); // 5.5 GB down to 5 GB, not to the 512 MB below
    EXPECT_EQ(scale.end, (0x7FFB56780000 + 0x40000000) / kGigabyte * kGigabyte + kGigabyte);
    EXPECT_FALSE(scale.fourGigabytes);
    // Only the counted rows: a table cleared to 0 rows is the 4 GB bar again.
    EXPECT_EQ(main_window::ModuleBarScale(wide, sizes, 0, AddressWidth::Bits64), kFourGigabytes);
    auto narrow = At(AddressWidth::Bits32, {0x80001000, 0x400000});
    EXPECT_EQ(main_window::ModuleBarScale(narrow, {0x1000, 0x1000}, 2, AddressWidth::Bits32),
              kFourGigabytes);
    // One module inside one gigabyte: that gigabyte; a module ending on a
    // boundary does not reach into the next one.
    BarScale one = main_window::ModuleBarScale(At(AddressWidth::Bits64, {0x7FFB12340000}), {0x1000},
                                               1, AddressWidth::Bits64);
    EXPECT_EQ(one.start, 0x7FFB00000000u);
    EXPECT_EQ(one.end, 0x7FFB40000000u);
    BarScale flush = main_window::ModuleBarScale(At(AddressWidth::Bits64, {0x100000000}),
                                                 {kGigabyte}, 1, AddressWidth::Bits64);
    EXPECT_EQ(flush.end, 0x140000000u);
    // A size that would run past the top of the address space stops there.
    BarScale top = main_window::ModuleBarScale(At(AddressWidth::Bits64, {~uint64_t{0} - 0xFFF}),
                                               {0x10000}, 1, AddressWidth::Bits64);
    EXPECT_LT(top.start, top.end);
}

TEST(AddressBarScale, BoxesAndMarksOfA64BitBarAndDriversOffIt) {
    BarScale scale{0x140000000, 0x140000000 + 4 * kGigabyte, false};
    // pos(a) = floor((a - S) / (E - S) * W): a quarter of the span is a quarter of W.
    EXPECT_EQ(BarOffset(0x140000000 + kGigabyte, 9132, scale), 2283);
    EXPECT_EQ(BarOffset(0x140000000, 9132, scale), 0);
    EXPECT_EQ(main_window::BarLength(kGigabyte / 2, 9132, scale), 1141);
    auto modules = At(AddressWidth::Bits64, {0x140000000, 0x140000000 + 2 * kGigabyte});
    auto drivers = At(AddressWidth::Bits64, {0xFFFFF80212340000, 0x140000000 + 3 * kGigabyte});
    auto boxes = BarBoxes(kRectMem, scale, modules, {kGigabyte, 0x1000}, 2, drivers, 2);
    ASSERT_EQ(boxes.size(), 2u + 2 + 1 + 3); // the kernel's driver lies off the bar
    EXPECT_TRUE(Same(boxes[2], 180, 8040, 2283, 732, BarColour::Red));
    EXPECT_TRUE(Same(boxes[3], 180 + 4566, 8040, 0, 732, BarColour::Blue));
    EXPECT_TRUE(Same(boxes[4], 180 + 6849, 8040, 10, 732, BarColour::Blue)); // driver 2
    auto mark = main_window::MarkBox(kRectMem, scale, 0x140000000 + 2 * kGigabyte, 0);
    EXPECT_TRUE(Same(mark, 180 + 4566, 8040, 0, 832, BarColour::White));
    EXPECT_TRUE(scale.Contains(0x140000000));
    EXPECT_FALSE(scale.Contains(scale.end));
}

TEST(AddressBarLabels, TextsOfBothBars) {
    EXPECT_EQ(main_window::BarLabelTexts(kFourGigabytes),
              (std::array<std::string, 5>{"0", "1GB=&&H4000 0000", "2GB=&&H8000 0000",
                                          "3GB=&&HC000 0000", "4GB"}));
    BarScale scale{0x7FF600000000, 0x7FFF00000000 + kGigabyte, false}; // 37 GB: quarters exact
    EXPECT_EQ(
        main_window::BarLabelTexts(scale),
        (std::array<std::string, 5>{"&&H7FF6 0000 0000", "&&H7FF8 5000 0000", "&&H7FFA A000 0000",
                                    "&&H7FFC F000 0000", "&&H7FFF 4000 0000"}));
    EXPECT_EQ(main_window::BarLabelTexts(BarScale{0, 4 * kGigabyte, false})[1], "&&H4000 0000");
}

// The first label starts at the bar's left end, the last ends at its right end,
// the rest are centred on their ticks; crowded labels are pushed apart, never
// over each other and never out of the window.
TEST(AddressBarLabels, LaidOutApartInsideTheWindow) {
    const int client = 9420;
    auto lefts = main_window::BarLabelLefts(kRectMem, {300, 600, 600, 600, 300}, client);
    EXPECT_EQ(lefts[0], 180);
    EXPECT_EQ(lefts[1], 2463 + 10 - 300);
    EXPECT_EQ(lefts[2], 4746 + 10 - 300);
    EXPECT_EQ(lefts[4], 9312 - 300);
    for (int width : {1500, 1750, 1850}) {
        SCOPED_TRACE(width);
        std::array<int, 5> widths{width, width, width, width, width};
        auto crowded = main_window::BarLabelLefts(kRectMem, widths, client);
        EXPECT_GE(crowded[0], 0);
        EXPECT_LE(crowded[4] + width, client);
        for (size_t k = 1; k < crowded.size(); ++k) {
            EXPECT_GE(crowded[k], crowded[k - 1] + width) << k;
        }
    }
}

} // namespace
