#include "main_window/address_bar.h"
#include "main_window/main_layout.h"

#include <gtest/gtest.h>

using main_window::BarBoxes;
using main_window::BarColour;
using main_window::BarOffset;
using main_window::kRectMem;
using main_window::TwipsBox;

namespace {

bool Same(const TwipsBox& box, int x, int y, int w, int h, BarColour colour) {
    return box.x == x && box.y == y && box.w == w && box.h == h && box.colour == colour;
}

TEST(AddressBarGeometry, EmptyBarIsFieldFrameAndThreeTicks) {
    auto boxes = BarBoxes(kRectMem, {}, {}, 0, {}, 0);
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
    std::vector<int32_t> bases{0x00400000, 0x10000000, static_cast<int32_t>(0x80001000)};
    std::vector<int32_t> sizes{0x100000, 0x10000, 0x2000};
    std::vector<uint32_t> drivers{0x80000000u, 0xFFFFF000u};
    auto boxes = BarBoxes(kRectMem, bases, sizes, 3, drivers, 2);
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
    std::vector<int32_t> bases{0x00400000};
    std::vector<int32_t> sizes{0x100000};
    EXPECT_EQ(BarBoxes(kRectMem, bases, sizes, 0, {}, 0).size(), 5u);
}

TEST(AddressBarGeometry, MarksReachIntoTheStrip) {
    auto mark = main_window::MarkBox(kRectMem, 0x80000000u, 10);
    EXPECT_TRUE(Same(mark, 4746, 8040, 10, 832, BarColour::White));
    auto paint = main_window::BarPaintArea(kRectMem);
    EXPECT_GE(paint.left + paint.width, 9321);
    EXPECT_EQ(paint.top + paint.height, 8040 + 832);
}

} // namespace
