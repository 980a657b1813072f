#include "memory_map/frm_mem_map.h"
#include "memory_map/region_walk.h"
#include "system/address.h"
#include "system/memory_names.h"
#include "tests/kit/fake_os.h"

#include <gtest/gtest.h>

using basEnumProcs::MemProtectText;
using basEnumProcs::MemStateTypeText;
using memory_map::HexSpecialFormat;
using memory_map::MapKind;
using memory_map::WalkRegions;

namespace {

constexpr DWORD kFree = MEM_FREE;
constexpr DWORD kCommit = MEM_COMMIT;
constexpr DWORD kReserve = MEM_RESERVE;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return lines;
        }
        start = end + 2;
    }
}

TEST(HexSpecialFormat, BlankBeforeTheLastFourDigits) {
    auto narrow = [](uint32_t value) {
        return HexSpecialFormat(sys::Address(value, sys::AddressWidth::Bits32));
    };
    EXPECT_EQ(narrow(0), "0");
    EXPECT_EQ(narrow(0x400), "400");
    EXPECT_EQ(narrow(0xFFFF), "FFFF");
    EXPECT_EQ(narrow(0x10000), "1 0000");
    EXPECT_EQ(narrow(0x7FFE0000), "7FFE 0000");
    EXPECT_EQ(narrow(0x7FFEFFFF), "7FFE FFFF");
    EXPECT_EQ(narrow(0x80000000), "8000 0000");
    EXPECT_EQ(narrow(0xFFFFFFFF), "FFFF FFFF");
    // Past 4 GB a blank before every group of four; below it the same texts.
    auto wide = [](uint64_t value) {
        return HexSpecialFormat(sys::Address(value, sys::AddressWidth::Bits64));
    };
    EXPECT_EQ(wide(0), "0");
    EXPECT_EQ(wide(0xFFFF), "FFFF");
    EXPECT_EQ(wide(0x80000000), "8000 0000");
    EXPECT_EQ(wide(0x100000000), "1 0000 0000");
    EXPECT_EQ(wide(0x140000000), "1 4000 0000");
    EXPECT_EQ(wide(0x7FF612340000), "7FF6 1234 0000");
    EXPECT_EQ(wide(0x7FFFFFFEFFFF), "7FFF FFFE FFFF");
    EXPECT_EQ(wide(~uint64_t{0}), "FFFF FFFF FFFF FFFF");
}

TEST(MemoryNames, NamedConstantsAndDecimalForEverythingElse) {
    EXPECT_EQ(MemStateTypeText(4096), "COMMIT");
    EXPECT_EQ(MemStateTypeText(8192), "RESERVE");
    EXPECT_EQ(MemStateTypeText(65536), "FREE");
    EXPECT_EQ(MemStateTypeText(0x20000), "PRIVATE");
    EXPECT_EQ(MemStateTypeText(0x40000), "MAPPED");
    EXPECT_EQ(MemStateTypeText(16777216), "IMAGE");
    EXPECT_EQ(MemStateTypeText(0), "0");
    EXPECT_EQ(MemProtectText(4), "READWRITE");
    EXPECT_EQ(MemProtectText(0x80), "EXECUTE_WRITECOPY");
    EXPECT_EQ(MemProtectText(0x200), "NOCACHE");
    EXPECT_EQ(MemProtectText(260), "260");
    EXPECT_EQ(MemProtectText(0), "0");
    EXPECT_EQ(MemProtectText(static_cast<int32_t>(0x80000000)), "-2147483648");
}

class RegionWalkTest : public ::testing::Test {
protected:
    HANDLE Open(std::vector<MEMORY_BASIC_INFORMATION> regions) {
        os.processes[8] = fake::MakeProcess("app.exe", "C:\\Apps\\app.exe");
        os.processes[8].modules.push_back({0x10000000, 0x3000, "lib.dll", "C:\\Apps\\lib.dll"});
        os.processes[8].regions = std::move(regions);
        return os.OpenProcess(0x410, FALSE, 8);
    }
    fake::FakeOs os;
};

TEST_F(RegionWalkTest, FullMapLinesWithPathsOfTheInspectedProcess) {
    HANDLE process = Open({fake::Region(0, 0x10000, kFree),
                           fake::Region(0x10000, 0x1000, kCommit, MEM_PRIVATE, PAGE_READWRITE),
                           fake::Region(0x11000, 0x3EF000, kReserve, MEM_PRIVATE, 0),
                           fake::Region(0x400000, 0x1000, kCommit, MEM_IMAGE, PAGE_READONLY),
                           fake::Region(0x401000, 0x0FBFF000, kFree),
                           fake::Region(0x10000000, 0x1000, kCommit, MEM_IMAGE, PAGE_READONLY),
                           fake::Region(0x10001000, 0x6FFEF000, kFree)});
    auto map = WalkRegions(os, process, MapKind::AllRegions);
    auto lines = Lines(map.text);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "0 - FFFF\t16 pp\tFREE");
    EXPECT_EQ(lines[1], "1 0000 - 1 0FFF\t1 pp\tCOMMIT\tPRIVATE\tREADWRITE");
    EXPECT_EQ(lines[2], "1 1000 - 3F FFFF\t1007 pp\tRESERVE\tPRIVATE\t0");
    EXPECT_EQ(lines[3], "40 0000 - 40 0FFF\t1 pp\tCOMMIT\tIMAGE\tREADONLY\tC:\\Apps\\app.exe");
    EXPECT_EQ(lines[5], "1000 0000 - 1000 0FFF\t1 pp\tCOMMIT\tIMAGE\tREADONLY\tC:\\Apps\\lib.dll");
    EXPECT_EQ(lines[6], "1000 1000 - 7FFE FFFF\t458735 pp\tFREE");
    EXPECT_EQ(map.freePages, 16 + 0xFBFF + 458735);
    // The paths come from one walk of the inspected process's loader list.
    EXPECT_EQ(os.calls["NtQueryInformationProcess"], 1);
    EXPECT_EQ(os.calls["GetModuleFileNameExA"], 0);

    // Where it cannot be walked, the module list is asked for once and the paths
    // only at its bases: the same map.
    os.ResetCounts();
    os.processes[8].loader = fake::LoaderState::Absent;
    EXPECT_EQ(WalkRegions(os, process, MapKind::AllRegions).text, map.text);
    EXPECT_EQ(os.calls[fake::kModuleListCall], 1);
    EXPECT_EQ(os.calls["GetModuleFileNameExA"], 2);

    // Without the module list every non-free region above 0 is asked: the same map.
    os.ResetCounts();
    os.Fail(fake::kModuleListCall, ERROR_PARTIAL_COPY);
    EXPECT_EQ(WalkRegions(os, process, MapKind::AllRegions).text, map.text);
    EXPECT_EQ(os.calls["GetModuleFileNameExA"], 4);

    // A failed path query leaves its line without a path, and the next its own.
    os.ClearFailures();
    os.ResetCounts();
    os.Fail("GetModuleFileNameExA", ERROR_INVALID_HANDLE, 1);
    auto unpathed = Lines(WalkRegions(os, process, MapKind::AllRegions).text);
    EXPECT_EQ(unpathed[3], "40 0000 - 40 0FFF\t1 pp\tCOMMIT\tIMAGE\tREADONLY");
    EXPECT_EQ(unpathed[5], lines[5]);
    os.CloseHandle(process);
}

TEST_F(RegionWalkTest, FreeOnlyMapHasTheSameTotal) {
    std::vector<MEMORY_BASIC_INFORMATION> regions{
        fake::Region(0, 0x10000, kFree),
        fake::Region(0x10000, 0x1000, kCommit, MEM_PRIVATE, PAGE_READWRITE),
        fake::Region(0x11000, 0x7FFDF000, kFree)};
    HANDLE process = Open(regions);
    auto full = WalkRegions(os, process, MapKind::AllRegions);
    auto free = WalkRegions(os, process, MapKind::FreeOnly);
    EXPECT_EQ(Lines(free.text), (std::vector<std::string>{"0 - FFFF\t16 pp\tFREE",
                                                          "1 1000 - 7FFE FFFF\t524255 pp\tFREE"}));
    EXPECT_EQ(free.freePages, full.freePages);
    os.CloseHandle(process);
}

// Where a walk ends: at the region that reaches the bound, at a region running past
// 2 GB (whose end a 32-bit cursor would wrap or turn negative), or at a failed query,
// whose record would be stale.
TEST(RegionWalk, EndsAtTheBoundPastTwoGigabytesOrAtAFailedQuery) {
    const std::string kPrivateRw = "\tCOMMIT\tPRIVATE\tREADWRITE";
    struct Case {
        const char* what;
        std::vector<MEMORY_BASIC_INFORMATION> regions;
        int failingQuery; // 0: none
        std::vector<std::string> lines;
        int64_t freePages;
        int queries;
        bool moduleListFails = false; // then every non-free region above 0 is asked its path
    } cases[] = {
        {"one free region up to the bound",
         {fake::Region(0, 0x7FFF0000, kFree)},
         0,
         {"0 - 7FFE FFFF\t524272 pp\tFREE"},
         524272,
         1},
        {"the region reaching the bound is the last",
         {fake::Region(0, 0x7FFE0000, kFree),
          fake::Region(0x7FFE0000, 0x10000, kCommit, MEM_PRIVATE, PAGE_READONLY),
          fake::Region(0x7FFF0000, 0x10000, kReserve, MEM_PRIVATE, 0)},
         0,
         {"0 - 7FFD FFFF\t524256 pp\tFREE",
          "7FFE 0000 - 7FFE FFFF\t16 pp\tCOMMIT\tPRIVATE\tREADONLY"},
         524256,
         2},
        {"the last page below the bound",
         {fake::Region(0, 0x10000, kFree), fake::Region(0x10000, 0x7FFDF000, kReserve, MEM_PRIVATE),
          fake::Region(0x7FFEF000, 0x1000, kCommit, MEM_PRIVATE, PAGE_READWRITE)},
         0,
         {"0 - FFFF\t16 pp\tFREE", "1 0000 - 7FFE EFFF\t524255 pp\tRESERVE\tPRIVATE\t0",
          "7FFE F000 - 7FFE FFFF\t1 pp" + kPrivateRw},
         16,
         3},
        {"one region from 0 past 2 GB, never asked its path",
         {fake::Region(0, 0x80000000u, kReserve, MEM_PRIVATE, 0)},
         0,
         {"0 - 7FFF FFFF\t524288 pp\tRESERVE\tPRIVATE\t0"},
         0,
         1,
         true},
        {"a region past 2 GB: a 32-bit cursor turns negative",
         {fake::Region(0, 0x10000, kFree),
          fake::Region(0x10000, 0xFFFE0000u, kReserve, MEM_PRIVATE),
          fake::Region(0xFFFF0000u, 0x10000, kFree)},
         0,
         {"0 - FFFF\t16 pp\tFREE", "1 0000 - FFFE FFFF\t1048544 pp\tRESERVE\tPRIVATE\t0"},
         16,
         2},
        {"a region to 4 GB: a 32-bit cursor wraps to 0",
         {fake::Region(0, 0x10000, kFree),
          fake::Region(0x10000, 0xFFFF0000u, kReserve, MEM_PRIVATE)},
         0,
         {"0 - FFFF\t16 pp\tFREE", "1 0000 - FFFF FFFF\t1048560 pp\tRESERVE\tPRIVATE\t0"},
         16,
         2},
        {"the third query fails",
         {fake::Region(0, 0x10000, kFree),
          fake::Region(0x10000, 0x1000, kCommit, MEM_PRIVATE, PAGE_READWRITE),
          fake::Region(0x11000, 0x1000, kCommit, MEM_PRIVATE, PAGE_READWRITE)},
         3,
         {"0 - FFFF\t16 pp\tFREE", "1 0000 - 1 0FFF\t1 pp" + kPrivateRw},
         16,
         3},
        {"the first query fails", {fake::Region(0, 0x10000, kFree)}, 1, {""}, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake::FakeOs os;
        os.processes[8].regions = c.regions;
        if (c.failingQuery != 0) {
            os.Fail("VirtualQueryEx", ERROR_INVALID_PARAMETER, c.failingQuery);
        }
        if (c.moduleListFails) {
            os.Fail(fake::kModuleListCall, ERROR_PARTIAL_COPY);
        }
        HANDLE process = os.OpenProcess(0x410, FALSE, 8);
        auto map = WalkRegions(os, process, MapKind::AllRegions);
        EXPECT_EQ(Lines(map.text), c.lines);
        EXPECT_EQ(map.freePages, c.freePages);
        EXPECT_EQ(os.calls["VirtualQueryEx"], c.queries);
        EXPECT_EQ(os.calls["GetModuleFileNameExA"], 0);
        os.CloseHandle(process);
    }
}

// A 64-bit process's map runs over its whole user address space, up to the
// highest application address the system reports, with the bound's rule of the
// 2 GB walk; a 32-bit process's stays below 2 GB in either edition.
TEST(RegionWalk, A64BitProcessIsWalkedUpToTheHighestApplicationAddress) {
    if (sys::kEditionWidth != sys::AddressWidth::Bits64) {
        GTEST_SKIP() << "only the 64-bit edition reads a 64-bit process's addresses";
    }
    constexpr uint64_t kTop = 0x7FFFFFFEFFFF;
    const std::string kImageRo = "\t1 pp\tCOMMIT\tIMAGE\tREADONLY\t";
    fake::FakeOs os;
    fake::Process& big = os.processes[8] = fake::MakeProcess("big.exe", "C:\\big.exe");
    big.is64Bit = true;
    big.modules = {{0x140000000, 0x1000, "big.exe", "C:\\big.exe"},
                   {0x7FFB12340000, 0x1000, "k.dll", "C:\\k.dll"}};
    big.regions = {fake::Region(0, 0x140000000, kFree),
                   fake::Region(0x140000000, 0x1000, kCommit, MEM_IMAGE, PAGE_READONLY),
                   fake::Region(0x140001000, 0x7FFB12340000 - 0x140001000, kFree),
                   fake::Region(0x7FFB12340000, 0x1000, kCommit, MEM_IMAGE, PAGE_READONLY),
                   fake::Region(0x7FFB12341000, kTop + 1 - 0x7FFB12341000 + 0x10000, kFree),
                   fake::Region(kTop + 1 + 0x10000, 0x10000, kReserve, MEM_PRIVATE)};
    HANDLE process = os.OpenProcess(0x410, FALSE, 8);
    auto map = WalkRegions(os, process, MapKind::AllRegions);
    EXPECT_EQ(Lines(map.text),
              (std::vector<std::string>{"0 - 1 3FFF FFFF\t1310720 pp\tFREE",
                                        "1 4000 0000 - 1 4000 0FFF" + kImageRo + "C:\\big.exe",
                                        "1 4000 1000 - 7FFB 1233 FFFF\t34353259327 pp\tFREE",
                                        "7FFB 1234 0000 - 7FFB 1234 0FFF" + kImageRo + "C:\\k.dll",
                                        "7FFB 1234 1000 - 7FFF FFFF FFFF\t5168319 pp\tFREE"}));
    EXPECT_EQ(map.freePages, 1310720 + 34353259327 + 5168319);
    EXPECT_EQ(WalkRegions(os, process, MapKind::FreeOnly).freePages, map.freePages);
    EXPECT_EQ(os.enumModulesFilters, std::vector<DWORD>{}); // its own 64-bit list
    os.CloseHandle(process);

    // The same regions in a 32-bit process: the 2 GB walk, and where its loader's list
    // cannot be walked, PSAPI.DLL's 32-bit module list.
    big.is64Bit = false;
    big.loader = fake::LoaderState::Absent;
    big.regions = {fake::Region(0, 0x10000, kFree),
                   fake::Region(0x10000, 0x7FFF0000, kReserve, MEM_PRIVATE),
                   fake::Region(0x80000000, 0x10000, kFree)};
    process = os.OpenProcess(0x410, FALSE, 8);
    map = WalkRegions(os, process, MapKind::AllRegions);
    EXPECT_EQ(Lines(map.text),
              (std::vector<std::string>{"0 - FFFF\t16 pp\tFREE",
                                        "1 0000 - 7FFF FFFF\t524272 pp\tRESERVE\tPRIVATE\t0"}));
    EXPECT_EQ(os.enumModulesFilters, std::vector<DWORD>{LIST_MODULES_32BIT});
    os.CloseHandle(process);
}

TEST(MapBoxResize, HundredTwipMarginNeverAThousandOrLess) {
    memory_map::MapBoxSize start{9732, 5592};
    auto bigger = memory_map::ResizedMapBox(12000, 9000, start);
    EXPECT_FLOAT_EQ(bigger.width, 12000 - 160);
    EXPECT_FLOAT_EQ(bigger.height, 9000 - 700);
    auto narrow = memory_map::ResizedMapBox(1160, 1700, bigger); // candidates 1000 and 1000
    EXPECT_FLOAT_EQ(narrow.width, bigger.width);
    EXPECT_FLOAT_EQ(narrow.height, bigger.height);
    auto justWider = memory_map::ResizedMapBox(1161, 1701, bigger);
    EXPECT_FLOAT_EQ(justWider.width, 1001);
    EXPECT_FLOAT_EQ(justWider.height, 1001);
    auto minimised = memory_map::ResizedMapBox(0, 0, justWider);
    EXPECT_FLOAT_EQ(minimised.width, 1001);
}

TEST(ClipboardText, HeaderLineThenTheMap) {
    EXPECT_EQ(memory_map::ClipboardText("app.exe", ""), "Memory Map: app.exe\r\n");
    EXPECT_EQ(memory_map::ClipboardText("", "0 - FFFF\t16 pp\tFREE"),
              "Memory Map: \r\n0 - FFFF\t16 pp\tFREE");
}

} // namespace
