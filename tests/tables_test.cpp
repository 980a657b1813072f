#include "main_window/driver_table.h"
#include "main_window/module_table.h"
#include "main_window/process_snapshot.h"
#include "main_window/table_order.h"
#include "memory_map/region_walk.h"
#include "system/raised_error.h"
#include "tests/kit/fake_os.h"
#include "tests/kit/text.h"

#include <gtest/gtest.h>

using main_window::DriverLineText;
using main_window::ModuleLineText;
using main_window::ReadDrivers;
using main_window::ReadModules;
using sys::Address;
using sys::AddressWidth;

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
    EXPECT_EQ(table.lModuleBases[0].Signed32(), static_cast<int32_t>(0x80001000));
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
    os.processes[8].loader = fake::LoaderState::Absent; // PSAPI.DLL's calls, then
    os.Fail("GetModuleInformation", ERROR_ACCESS_DENIED, 2);
    auto listing = ReadModules(os, process);
    ASSERT_TRUE(listing.succeeded);
    EXPECT_EQ(listing.table.sModuleNames, (std::vector<std::string>{"lib.dll", "app.exe"}));
    EXPECT_EQ(listing.table.lModuleBases,
              (std::vector<Address>{Address(0, AddressWidth::Bits32),
                                    Address(0x400000, AddressWidth::Bits32)}));
    EXPECT_EQ(listing.table.lModuleSizes, (std::vector<uint64_t>{0, 0x1A000}));
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

// One walk of the loader's list gives the rows PSAPI.DLL's calls give for the same
// list, in the layout of the process's width; where the walk gives up, those calls
// run, and their failure is the one reported.
TEST(LoaderList, GivesTheRowsOfPsapisCallsOrLeavesThemToRun) {
    std::string cyrillic; // 260 bytes: the buffer's end falls inside a letter
    for (int k = 0; k < 130; ++k) {
        cyrillic += "п";
    }
    const std::vector<fake::Module> modules{
        {0x00400000, 0x1A000, "app.exe", "C:\\Apps\\app.exe"},
        {0x80001000, 0x2000, "high.dll", "C:\\Windows\\high.dll"},
        {0x10000000, 0x3000, "Ωmega测试.dll", "C:\\Папка\\Ωmega测试.dll"},
        {0x20000000, 0x1000, std::string(300, 'n'), "C:\\" + cyrillic},
        {0x30000000, 0x4000, "renamed.dll", "C:\\x\\RENAMED.DLL"},
        {0x40000000, 0x1000, "", ""}};
    bool wide = sys::kEditionWidth == AddressWidth::Bits64;
    struct Case {
        const char* what;
        bool is64Bit; // the 32-bit edition sees such a list only on 32-bit Windows
        fake::LoaderState loader;
        int failingRead; // 0: none
        bool walked;
        bool underWow64 = false; // this program, on 64-bit Windows
    };
    const Case cases[] = {
        {"a 32-bit list", false, fake::LoaderState::Ready, 0, true},
        {"a 64-bit list", true, fake::LoaderState::Ready, 0, true},
        {"no loader data", false, fake::LoaderState::Absent, 0, false},
        {"a loader not yet initialised", false, fake::LoaderState::Starting, 0, false},
        {"a list that loops", false, fake::LoaderState::Looping, 0, false},
        {"a read that fails in the middle", false, fake::LoaderState::Ready, 6, false},
        {"a 64-bit list from under WOW64", true, fake::LoaderState::Ready, 0, wide, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto script = [&](fake::FakeOs& os, fake::LoaderState loader) {
            os.processes[8].modules = modules;
            for (fake::Module& module : os.processes[8].modules) {
                module.base += c.is64Bit && wide ? 0x7FF800000000ull : 0;
            }
            os.processes[8].is64Bit = c.is64Bit;
            os.processes[8].loader = loader;
            if (c.underWow64) {
                os.nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
                os.selfWow64 = !wide;
            }
            return os.OpenProcess(0x410, FALSE, 8);
        };
        fake::FakeOs psapi;
        auto expected = ReadModules(psapi, script(psapi, fake::LoaderState::Absent)).table;
        fake::FakeOs os;
        HANDLE process = script(os, c.loader);
        if (c.failingRead != 0) {
            os.Fail("ReadProcessMemory", ERROR_PARTIAL_COPY, c.failingRead);
        }
        auto listing = ReadModules(os, process);
        ASSERT_TRUE(listing.succeeded);
        EXPECT_EQ(main_window::ModuleLines(listing.table, kEnglish),
                  main_window::ModuleLines(expected, kEnglish));
        EXPECT_EQ(listing.table.sModulePaths, expected.sModulePaths);
        EXPECT_EQ(main_window::ModulesCaption(listing.table, kEnglish),
                  main_window::ModulesCaption(expected, kEnglish));
        EXPECT_EQ(os.calls["GetModuleBaseNameA"], c.walked ? 0 : 6);
        if (c.walked) {
            // One pass: the PEB's pointer and the loader data, then six entries, five
            // full names and the two base names that lie outside them.
            EXPECT_EQ(os.calls["ReadProcessMemory"], 2 + 6 + 5 + 2);
        }

        os.ResetCounts();
        os.Fail(fake::kModuleListCall, ERROR_PARTIAL_COPY);
        auto failed = ReadModules(os, process);
        EXPECT_EQ(failed.succeeded, c.walked);
        EXPECT_EQ(failed.error, c.walked ? 0u : static_cast<DWORD>(ERROR_PARTIAL_COPY));
        os.CloseHandle(process);
    }
}

TEST(ModuleLine, Texts) {
    auto at32 = [](uint64_t value) { return Address(value, AddressWidth::Bits32); };
    auto at64 = [](uint64_t value) { return Address(value, AddressWidth::Bits64); };
    EXPECT_EQ(ModuleLineText("app.exe", at32(0x400000), 0x1A000, kEnglish),
              "app.exe @ 400000: 1A000 (106,496)");
    EXPECT_EQ(ModuleLineText("", at32(0), 0, kEnglish), " @ 0: 0 ()");
    EXPECT_EQ(ModuleLineText("x", at32(0x80000000), 0x10000, kEnglish),
              "x @ 80000000: 10000 (65,536)");
    EXPECT_EQ(ModuleLineText("big.dll", at32(0x10000000), 0xFFFFF000, kEnglish),
              "big.dll @ 10000000: FFFFF000 (4,294,963,200)");
    // A 64-bit base is written in full; a 32-bit one keeps only its low 32 bits.
    EXPECT_EQ(ModuleLineText("kernel32.dll", at64(0x7FFB12340000), 0x195000, kEnglish),
              "kernel32.dll @ 7FFB12340000: 195000 (1,658,880)");
    EXPECT_EQ(ModuleLineText("app.exe", at64(0x140000000), 0x1A000, kEnglish),
              "app.exe @ 140000000: 1A000 (106,496)");
    EXPECT_EQ(ModuleLineText("cut.dll", at32(0x140000000), 0x1000, kEnglish),
              "cut.dll @ 40000000: 1000 (4,096)");
}

TEST(DriverTable, UnsignedOrderAndTexts) {
    fake::FakeOs os;
    os.drivers = {{0xF7A5C000, "k.sys"}, {0x80100000, "\\d\\disk.sys"}, {0x0000A000, "x.sys"}};
    bool wide = sys::kEditionWidth == AddressWidth::Bits64;
    if (wide) {
        os.drivers.push_back({0xFFFFF80212340000, "ntfs.sys"});
        os.drivers.push_back({0x140000000, "low.sys"});
    }
    auto table = ReadDrivers(os);
    std::vector<std::string> order{"x.sys", "disk.sys", "k.sys"};
    if (wide) {
        order.insert(order.end(), {"low.sys", "ntfs.sys"});
    }
    EXPECT_EQ(table.sDriverNames, order);
    ASSERT_EQ(table.uDriverBases.size(), order.size());
    EXPECT_EQ(table.uDriverBases[1], Address(0x80100000, sys::kEditionWidth));
    EXPECT_EQ(main_window::DriverLines(table)[1],
              DriverLineText("disk.sys", Address(0x80100000, sys::kEditionWidth)));
    EXPECT_EQ(table.sDriverPaths[1], "\\d\\disk.sys");
    EXPECT_EQ(main_window::DriversCaption(97), "97 Drivers");
}

TEST(DriverLine, EveryDigitOfTheWidthInGroupsOfFour) {
    auto at32 = [](uint64_t value) { return Address(value, AddressWidth::Bits32); };
    auto at64 = [](uint64_t value) { return Address(value, AddressWidth::Bits64); };
    EXPECT_EQ(DriverLineText("x.sys", at32(0x0000A000)), "x.sys @ 0000 A000");
    EXPECT_EQ(DriverLineText("disk.sys", at32(0x80100000)), "disk.sys @ 8010 0000");
    EXPECT_EQ(DriverLineText("k.sys", at32(0xF7A5C000)), "k.sys @ F7A5 C000");
    EXPECT_EQ(DriverLineText("d", at32(0)), "d @ 0000 0000");
    EXPECT_EQ(DriverLineText("d", at32(0xFFFFFFFF)), "d @ FFFF FFFF");
    EXPECT_EQ(DriverLineText("ntfs.sys", at64(0xFFFFF80212340000)),
              "ntfs.sys @ FFFF F802 1234 0000");
    EXPECT_EQ(DriverLineText("x.sys", at64(0xA000)), "x.sys @ 0000 0000 0000 A000");
    EXPECT_EQ(DriverLineText("d", at64(~uint64_t{0})), "d @ FFFF FFFF FFFF FFFF");
}

// The names as the system's module information gives them: the base name from
// where it says it starts, a path that fills the field without a terminator.
TEST(DriverTable, NamesAndPathsOfTheModuleInformation) {
    fake::FakeOs os;
    const std::string filled(256, 'p');
    os.drivers = {{0x80100000, "\\SystemRoot\\system32\\drivers\\disk.sys"},
                  {0x80200000, "\\??\\C:\\x.sys", 4},
                  {0x80300000, "short", 300},
                  {0x80400000, filled + "\\cut.sys"}};
    auto table = ReadDrivers(os);
    EXPECT_EQ(table.sDriverNames, (std::vector<std::string>{"disk.sys", "C:\\x.sys", "", filled}));
    EXPECT_EQ(table.sDriverPaths[0], "\\SystemRoot\\system32\\drivers\\disk.sys");
    EXPECT_EQ(table.sDriverPaths[3], filled);
    EXPECT_FALSE(table.addressesHidden);
    os.drivers.clear();
    EXPECT_FALSE(ReadDrivers(os).addressesHidden);
}

// One query, grown to what the system asks for while it answers "too small",
// also when a driver loads between two queries; a failed query raises its error.
TEST(DriverTable, TheQueryGrowsUntilTheAnswerFitsAndRaisesItsFailure) {
    fake::FakeOs os;
    for (uint64_t i = 0; i < 300; ++i) {
        os.drivers.push_back({0x80000000 + i * 0x10000, "\\SystemRoot\\d.sys"});
    }
    auto bytesFor = [](size_t count) {
        return static_cast<ULONG>(sys::kSystemModulesHeader + count * sizeof(sys::SystemModule));
    };
    os.Before("NtQuerySystemInformation", [&os] {
        if (os.calls["NtQuerySystemInformation"] == 2) {
            os.drivers.push_back({0xF0000000, "\\SystemRoot\\late.sys"});
        }
    });
    auto table = ReadDrivers(os);
    EXPECT_EQ(table.lNumDrivers, 301);
    EXPECT_EQ(table.sDriverNames.back(), "late.sys");
    EXPECT_EQ(os.moduleInformationLengths,
              (std::vector<ULONG>{bytesFor(256), bytesFor(300), bytesFor(301)}));

    os.Fail("NtQuerySystemInformation", ERROR_ACCESS_DENIED);
    try {
        ReadDrivers(os);
        ADD_FAILURE() << "no error raised";
    } catch (const sys::RaisedError& error) {
        EXPECT_EQ(error.Description(), "Error: 5(&H5): Access denied.");
    }
}

// Windows hides kernel addresses from a program without the debug privilege
// enabled: where the token holds it, it is enabled for the query alone and put
// back as it was.
TEST(DriverTable, HiddenAddressesAndTheDebugPrivilege) {
    struct Case {
        bool held;
        bool enabledBefore;
    } cases[] = {{false, false}, {true, false}, {true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "held " << c.held << ", enabled " << c.enabledBefore);
        fake::FakeOs os;
        os.driverAddressesHidden = true;
        os.debugPrivilegeHeld = c.held;
        os.debugPrivilegeEnabled = c.enabledBefore;
        os.drivers = {{0xF0000000, "\\SystemRoot\\b.sys"}, {0x80000000, "\\SystemRoot\\a.sys"}};
        auto table = ReadDrivers(os);
        EXPECT_EQ(table.addressesHidden, !c.held);
        auto shown = c.held ? std::vector<std::string>{testkit::DriverRow("a.sys", "8000 0000"),
                                                       testkit::DriverRow("b.sys", "F000 0000")}
                            : std::vector<std::string>{"b.sys @ hidden", "a.sys @ hidden"};
        EXPECT_EQ(main_window::DriverLines(table), shown);
        EXPECT_EQ(table.sDriverPaths[0], c.held ? "\\SystemRoot\\a.sys" : "\\SystemRoot\\b.sys");
        EXPECT_EQ(os.moduleQueriesWithDebugPrivilege, c.held ? 1 : 0);
        EXPECT_EQ(os.debugPrivilegeEnabled, c.enabledBefore);
        EXPECT_EQ(os.OpenHandles(), 0) << "the token stays open";
    }
}

// Every name and path comes through the system's 260-character buffer: one that
// fills it has no terminator, and a longer one is cut at its end.
TEST(NameBuffers, EveryNameAndPathIsCutAtTheBufferEnd) {
    for (size_t length : {259u, 260u, 300u}) {
        SCOPED_TRACE(length);
        const std::string name(length, 'n');
        const std::string path = "C:\\" + std::string(length - 3, 'p');
        const std::string shownName = name.substr(0, 260);
        const std::string shownPath = path.substr(0, 260);
        fake::FakeOs os;
        fake::Process& process = os.processes[8] = fake::MakeProcess(name, path);
        process.modules.push_back({0x10000000, 0x1000, name, path});
        process.regions = {fake::Region(0, 0x10000000, MEM_FREE),
                           fake::Region(0x10000000, 0x1000, MEM_COMMIT, MEM_IMAGE, PAGE_READONLY),
                           fake::Region(0x10001000, 0x6FFEF000, MEM_FREE)};

        auto snapshot = main_window::TakeProcessSnapshot(os);
        EXPECT_EQ(snapshot.sProcNames[0], shownName);
        EXPECT_EQ(snapshot.sProcPaths[0], shownPath);
        HANDLE handle = os.OpenProcess(0x410, FALSE, 8);
        auto modules = ReadModules(os, handle).table;
        EXPECT_EQ(modules.sModuleNames, std::vector<std::string>(2, shownName));
        EXPECT_EQ(modules.sModulePaths, std::vector<std::string>(2, shownPath));
        auto map = memory_map::WalkRegions(os, handle, memory_map::MapKind::AllRegions);
        EXPECT_EQ(testkit::SplitLines(map.text)[1],
                  "1000 0000 - 1000 0FFF\t1 pp\tCOMMIT\tIMAGE\tREADONLY\t" + shownPath);
        os.CloseHandle(handle);
    }
}

// The process and module lists share one enumeration: 25 slots first, doubled while the reply
// fills the buffer.
struct Enumerated {
    size_t entries;
    std::vector<DWORD> bytes; // the buffer size of each call
    size_t entrySize;
};

Enumerated EnumerateProcesses(int count) {
    fake::FakeOs os;
    for (int i = 1; i <= count; ++i) {
        os.processOrder.push_back(static_cast<DWORD>(i * 4)); // ids only: nothing opens
    }
    auto snapshot = main_window::TakeProcessSnapshot(os);
    return {snapshot.lPIDs.size(), os.enumProcessesSizes, sizeof(DWORD)};
}

Enumerated EnumerateModules(int count) {
    fake::FakeOs os;
    os.processes[8].loader = fake::LoaderState::Absent; // listed through PSAPI.DLL
    std::vector<fake::Module>& modules = os.processes[8].modules;
    for (int i = 0; i < count; ++i) {
        modules.push_back({0x10000000u + i * 0x10000u, 0x1000, "m.dll", "C:\\m.dll"});
    }
    HANDLE process = os.OpenProcess(0x410, FALSE, 8);
    auto listing = ReadModules(os, process);
    os.CloseHandle(process);
    EXPECT_TRUE(listing.succeeded);
    return {listing.table.sModuleNames.size(), os.enumModulesSizes, sizeof(HMODULE)};
}

TEST(GrowingEnumeration, EveryListDoublesItsBufferWhileTheReplyFillsIt) {
    struct List {
        const char* name;
        Enumerated (*enumerate)(int);
    } lists[] = {{"processes", EnumerateProcesses}, {"modules", EnumerateModules}};
    struct Case {
        int entries;
        std::initializer_list<int> slots;
    } cases[] = {{0, {25}}, {24, {25}}, {25, {25, 50}}, {60, {25, 50, 100}}};
    for (const List& list : lists) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(list.name) + ": " + std::to_string(c.entries));
            Enumerated got = list.enumerate(c.entries);
            EXPECT_EQ(got.entries, static_cast<size_t>(c.entries));
            EXPECT_EQ(got.bytes, SlotBytes(c.slots, got.entrySize));
        }
    }
    // A hundred thousand ids take twelve doublings.
    EXPECT_EQ(EnumerateProcesses(100000).bytes.back(), 25u * 4096 * sizeof(DWORD));
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
