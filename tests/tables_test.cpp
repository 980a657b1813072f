#include "main_window/driver_table.h"
#include "main_window/module_table.h"
#include "main_window/table_order.h"
#include "system/raised_error.h"
#include "tests/fake_os.h"

#include <gtest/gtest.h>

using main_window::DriverLineText;
using main_window::ModuleLineText;
using main_window::ReadDrivers;
using main_window::ReadModules;

namespace {

const sys::ThousandsFormat kEnglish(",", "3;0");

std::vector<DWORD> SlotBytes(std::initializer_list<int> slots, size_t entrySize) {
    std::vector<DWORD> bytes;
    for (int count : slots) {
        bytes.push_back(static_cast<DWORD>(count * entrySize));
    }
    return bytes;
}

class ModuleTableTest : public ::testing::Test {
protected:
    HANDLE Open(std::vector<fake::Module> modules) {
        os.processes[8].modules = std::move(modules);
        return os.OpenProcess(0x410, FALSE, 8);
    }
    fake::FakeOs os;
};

TEST_F(ModuleTableTest, BufferDoublesWhileTheReplyFillsIt) {
    struct Case {
        int modules;
        std::initializer_list<int> slots;
    } cases[] = {{24, {25}}, {25, {25, 50}}, {60, {25, 50, 100}}};
    for (const Case& c : cases) {
        std::vector<fake::Module> modules;
        for (int i = 0; i < c.modules; ++i) {
            modules.push_back({0x10000000u + i * 0x10000u, 0x1000, "m.dll", "C:\\m.dll"});
        }
        HANDLE process = Open(modules);
        os.enumModulesSizes.clear();
        auto listing = ReadModules(os, process);
        ASSERT_TRUE(listing.succeeded);
        EXPECT_EQ(listing.table.lNumModules, c.modules);
        EXPECT_EQ(listing.table.sModuleNames.size(), static_cast<size_t>(c.modules));
        EXPECT_EQ(os.enumModulesSizes, SlotBytes(c.slots, sizeof(HMODULE)));
        os.CloseHandle(process);
    }
}

TEST_F(ModuleTableTest, SortedBySignedBaseWithZeroHandles) {
    HANDLE process = Open({{0x77000000, 0x100000, "kernel32.dll", "C:\\k32.dll"},
                           {0x00400000, 0x1A000, "app.exe", "C:\\app.exe"},
                           {0x80001000, 0x2000, "high.dll", "C:\\high.dll"},
                           {0x10000000, 0x3000, "lib.dll", "C:\\lib.dll"}});
    os.processes[8].moduleHandles = {0x77000000, 0x00400000, 0, 0x80001000, 0x10000000};
    auto listing = ReadModules(os, process);
    ASSERT_TRUE(listing.succeeded);
    const auto& table = listing.table;
    EXPECT_EQ(table.sModuleNames,
              (std::vector<std::string>{"high.dll", "", "app.exe", "lib.dll", "kernel32.dll"}));
    EXPECT_EQ(table.lModuleBases[0], static_cast<int32_t>(0x80001000));
    EXPECT_EQ(table.lModuleBytes, 0x100000 + 0x1A000 + 0x2000 + 0x3000);
    auto lines = main_window::ModuleLines(table, kEnglish);
    EXPECT_EQ(lines[1], " @ 0: 0 ()");
    EXPECT_EQ(lines[2], "app.exe @ 400000: 1A000 (106,496)");
    EXPECT_EQ(lines[0], "high.dll @ 80001000: 2000 (8,192)");
    EXPECT_EQ(main_window::ModulesCaption(table, kEnglish), "5 Modules taking 1,175,552 bytes");
    os.CloseHandle(process);
}

TEST_F(ModuleTableTest, FailedInformationQueryShowsZerosNotThePreviousModule) {
    HANDLE process = Open({{0x00400000, 0x1A000, "app.exe", "C:\\app.exe"},
                           {0x10000000, 0x3000, "lib.dll", "C:\\lib.dll"}});
    os.Fail("GetModuleInformation", ERROR_ACCESS_DENIED, 2);
    auto listing = ReadModules(os, process);
    ASSERT_TRUE(listing.succeeded);
    EXPECT_EQ(listing.table.sModuleNames, (std::vector<std::string>{"lib.dll", "app.exe"}));
    EXPECT_EQ(listing.table.lModuleBases, (std::vector<int32_t>{0, 0x400000}));
    EXPECT_EQ(listing.table.lModuleSizes, (std::vector<int32_t>{0, 0x1A000}));
    EXPECT_EQ(listing.table.lModuleBytes, 0x1A000);
    os.CloseHandle(process);
}

TEST_F(ModuleTableTest, ByteTotalPastFourGigabytes) {
    std::vector<fake::Module> modules;
    for (uint32_t i = 0; i < 5; ++i) {
        modules.push_back({0x01000000u + i * 0x01000000u, 0x40000000u, "big.dll", "C:\\big.dll"});
    }
    HANDLE process = Open(modules);
    auto listing = ReadModules(os, process);
    EXPECT_EQ(listing.table.lModuleBytes, 5ll * 0x40000000);
    EXPECT_EQ(main_window::ModulesCaption(listing.table, kEnglish),
              "5 Modules taking 5,368,709,120 bytes");
    os.CloseHandle(process);
}

TEST_F(ModuleTableTest, FailedEnumerationReportsItsError) {
    HANDLE process = Open({{0x00400000, 0x1A000, "app.exe", "C:\\app.exe"}});
    os.Fail("EnumProcessModules", ERROR_PARTIAL_COPY);
    auto listing = ReadModules(os, process);
    EXPECT_FALSE(listing.succeeded);
    EXPECT_EQ(listing.error, static_cast<DWORD>(ERROR_PARTIAL_COPY));
    EXPECT_EQ(os.calls["GetModuleBaseNameA"], 0);
    os.CloseHandle(process);
}

TEST(ModuleLine, Texts) {
    EXPECT_EQ(ModuleLineText("app.exe", 0x400000, 0x1A000, kEnglish),
              "app.exe @ 400000: 1A000 (106,496)");
    EXPECT_EQ(ModuleLineText("", 0, 0, kEnglish), " @ 0: 0 ()");
    EXPECT_EQ(ModuleLineText("x", static_cast<int32_t>(0x80000000), 0x10000, kEnglish),
              "x @ 80000000: 10000 (65,536)");
}

TEST(DriverTable, BufferGrowthUnsignedOrderAndTexts) {
    for (int count : {24, 25}) {
        fake::FakeOs os;
        for (int i = 0; i < count; ++i) {
            os.drivers.push_back({0xF0000000u - i * 0x10000u, "d.sys", "\\SystemRoot\\d.sys"});
        }
        auto table = ReadDrivers(os);
        EXPECT_EQ(table.lNumDrivers, count);
        EXPECT_EQ(main_window::DriverLines(table).size(), static_cast<size_t>(count));
        EXPECT_EQ(os.enumDriversSizes, SlotBytes(count == 24 ? std::initializer_list<int>{25}
                                                             : std::initializer_list<int>{25, 50},
                                                 sizeof(LPVOID)));
        EXPECT_TRUE(std::is_sorted(table.uDriverBases.begin(), table.uDriverBases.end()));
    }
    fake::FakeOs os;
    os.drivers = {{0xF7A5C000, "k.sys", "k"},
                  {0x80100000, "disk.sys", "\\d\\disk.sys"},
                  {0x0000A000, "x.sys", "x"}};
    auto table = ReadDrivers(os);
    EXPECT_EQ(main_window::DriverLines(table),
              (std::vector<std::string>{"x.sys @ 0000 A000", "disk.sys @ 8010 0000",
                                        "k.sys @ F7A5 C000"}));
    EXPECT_EQ(table.lDriverBases[1], static_cast<int32_t>(0x80100000));
    EXPECT_EQ(table.sDriverPaths[1], "\\d\\disk.sys");
    EXPECT_EQ(main_window::DriversCaption(97), "97 Drivers");
}

TEST(DriverTable, FailedNameQueriesAndFailedEnumeration) {
    fake::FakeOs os;
    os.drivers = {{0x80100000, "disk.sys", "\\d\\disk.sys"}};
    os.Fail("GetDeviceDriverBaseNameA", ERROR_ACCESS_DENIED);
    auto table = ReadDrivers(os);
    EXPECT_EQ(main_window::DriverLines(table), (std::vector<std::string>{" @ 8010 0000"}));
    EXPECT_EQ(table.sDriverPaths[0], "\\d\\disk.sys");
    os.Fail("EnumDeviceDrivers", ERROR_ACCESS_DENIED);
    EXPECT_THROW(ReadDrivers(os), sys::RaisedError);
    EXPECT_EQ(DriverLineText("d", 0), "d @ 0000 0000");
    EXPECT_EQ(DriverLineText("d", 0xFFFFFFFF), "d @ FFFF FFFF");
}

TEST(ExchangeSortOrder, EqualKeysLandWhereTheExchangeSortPutsThem) {
    // The exchange sort swaps the first 2 with the 1 and so moves it behind the second 2;
    // a stable sort would keep the two 2s in their first order.
    EXPECT_EQ(main_window::ExchangeSortOrder(std::vector<int>{2, 2, 1}),
              (std::vector<size_t>{2, 1, 0}));
    EXPECT_EQ(main_window::ExchangeSortOrder(std::vector<int>{0, 5, 0, 0}),
              (std::vector<size_t>{0, 2, 3, 1}));
    EXPECT_EQ(main_window::ExchangeSortOrder(std::vector<int>{9, 2, 7, 4}),
              (std::vector<size_t>{1, 3, 2, 0}));
    // Past 32,767 entries nothing is replayed: equal keys keep their first order,
    // so 100,000 modules all based at 0 cost no quadratic pass.
    std::vector<int> zeros(100000, 0);
    zeros[0] = 1;
    std::vector<size_t> order = main_window::ExchangeSortOrder(zeros);
    EXPECT_EQ(order[0], 1u);
    EXPECT_EQ(order[99998], 99999u);
    EXPECT_EQ(order[99999], 0u);
}

} // namespace
