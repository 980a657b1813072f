#include "system/number_text.h"
#include "tests/kit/fake_os.h"

#include <gtest/gtest.h>

namespace {

TEST(ThousandsFormat, GroupsOfThreeAndEmptyForZero) {
    sys::ThousandsFormat format(",", "3;0");
    EXPECT_EQ(format.Format(0), "");
    EXPECT_EQ(format.Format(7), "7");
    EXPECT_EQ(format.Format(999), "999");
    EXPECT_EQ(format.Format(1000), "1,000");
    EXPECT_EQ(format.Format(106496), "106,496");
    EXPECT_EQ(format.Format(1234567), "1,234,567");
    EXPECT_EQ(format.Format(2147483648u), "2,147,483,648");
    EXPECT_EQ(format.Format(4294967295u), "4,294,967,295");
    EXPECT_EQ(format.Format(5000000000ull), "5,000,000,000");
    EXPECT_EQ(format.Format(~uint64_t{0}), "18,446,744,073,709,551,615");
}

TEST(ThousandsFormat, FollowsTheUsersSeparatorAndGrouping) {
    fake::FakeOs os;
    os.thousandsSeparator = ".";
    EXPECT_EQ(sys::ThousandsFormat(os).Format(1234567), "1.234.567");
    os.thousandsSeparator = "\xA0";
    EXPECT_EQ(sys::ThousandsFormat(os).Format(8040448), "8\xA0"
                                                        "040\xA0"
                                                        "448");
    os.thousandsSeparator = "\xE2\x80\xAF"; // a narrow no-break space in UTF-8
    EXPECT_EQ(sys::ThousandsFormat(os).Format(8040448), "8\xE2\x80\xAF"
                                                        "040\xE2\x80\xAF"
                                                        "448");
    EXPECT_EQ(sys::ThousandsFormat(",", "3;2;0").Format(123456789), "12,34,56,789");
    EXPECT_EQ(sys::ThousandsFormat(",", "3").Format(123456789), "123456,789");
    EXPECT_EQ(sys::ThousandsFormat(",", "0;0").Format(123456789), "123456789");
}

TEST(ThousandsFormat, FallsBackWhenTheLocaleCannotBeRead) {
    fake::FakeOs os;
    os.Fail("GetLocaleInfoA", ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sys::ThousandsFormat(os).Format(1234567), "1,234,567");
}

} // namespace
