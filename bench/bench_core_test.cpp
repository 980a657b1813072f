// The benchmark's own arithmetic, table and scenes, and its helpers' layouts.
// No timing is asserted here.

#include "bench/region_pattern.h"
#include "bench/report.h"
#include "bench/scale_scenes.h"
#include "main_window/module_table.h"
#include "main_window/process_snapshot.h"
#include "memory_map/region_walk.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using bench::Summarise;

TEST(BenchSummary, MedianMinAndMaxOfOddAndEvenCounts) {
    bench::Summary odd = Summarise({5, 1, 4, 2, 3});
    EXPECT_EQ(odd.runs, 5);
    EXPECT_DOUBLE_EQ(odd.median, 3);
    EXPECT_DOUBLE_EQ(odd.min, 1);
    EXPECT_DOUBLE_EQ(odd.max, 5);
    EXPECT_DOUBLE_EQ(Summarise({4, 1, 3, 2}).median, 2.5);
    EXPECT_EQ(Summarise({}).runs, 0);
}

TEST(BenchGrowth, NormalisedToTenfoldWhateverTheSizes) {
    EXPECT_NEAR(bench::GrowthPerTenfold(1000, 2, 10000, 20), 10, 1e-9);
    EXPECT_NEAR(bench::GrowthPerTenfold(1000, 1, 10000, 100), 100, 1e-9); // n squared
    // Linear from 10,000 to 32,767 is still tenfold per tenfold.
    EXPECT_NEAR(bench::GrowthPerTenfold(10000, 1, 32767, 3.2767), 10, 1e-9);
}

TEST(BenchReport, MillisecondsInThreeSignificantDigits) {
    EXPECT_EQ(bench::Milliseconds(0.41234), "0.412 ms");
    EXPECT_EQ(bench::Milliseconds(4.1234), "4.12 ms");
    EXPECT_EQ(bench::Milliseconds(41.26), "41.3 ms");
    EXPECT_EQ(bench::Milliseconds(412.6), "413 ms");
}

TEST(BenchReport, ComparisonIsTheRatioOfMediansAndMeetsItsGoalInclusively) {
    bench::Paired times{Summarise({2.3, 2.2, 2.4}), Summarise({2.0, 1.9, 2.1})};
    bench::Row row = bench::ComparisonRow("Refresh", times, 1.15);
    EXPECT_EQ(row.runs, "3");
    EXPECT_EQ(row.median, "2.30 ms");
    EXPECT_EQ(row.range, "2.20-2.40");
    EXPECT_EQ(row.against, "bare calls 2.00 ms (1.90-2.10)");
    EXPECT_EQ(row.result, "ratio 1.15");
    EXPECT_EQ(row.met, "yes");
    times.viewer = Summarise({2.31});
    EXPECT_EQ(bench::ComparisonRow("Refresh", times, 1.15).met, "no");
}

TEST(BenchReport, AScaleSeriesGrowsFromItsPreviousRow) {
    bench::ScalePoint small{1000, Summarise({1.0})};
    bench::ScalePoint big{10000, Summarise({16.0})};
    bench::Row first = bench::ScaleRow("Fake: list", small, nullptr, 15);
    EXPECT_EQ(first.measurement, "Fake: list 1,000");
    EXPECT_EQ(first.met, "");
    bench::Row second = bench::ScaleRow("Fake: list", big, &small, 15);
    EXPECT_EQ(second.measurement, "Fake: list 10,000");
    EXPECT_EQ(second.against, "from 1,000: x16.0");
    EXPECT_EQ(second.result, "x16.0 per tenfold");
    EXPECT_EQ(second.met, "no");
}

TEST(BenchReport, TableIsMarkdownAndCountsMissedGoals) {
    bench::Table table;
    table.Add(bench::SizeRow("exe", 1234567, 1048576));
    table.Add(bench::TimeRow("start", Summarise({100, 120}), 150));
    std::string text = table.Markdown();
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "| Measurement | Runs | Median | Min-max (ms) | Against | Result | Goal | Met |");
    EXPECT_NE(text.find("| exe | 1 | 1,234,567 bytes |  |  |  | < 1,048,576 bytes | no |\n"),
              std::string::npos);
    EXPECT_NE(text.find("| start | 2 | 110 ms | 100-120 |  |  | < 150 ms | yes |\n"),
              std::string::npos);
    EXPECT_EQ(table.MissedGoals(), 1);
}

TEST(BenchScenes, ScrambledVisitsEveryIndexOnce) {
    for (uint32_t n : {1u, 2u, 1000u, 32767u, 100000u}) {
        std::set<uint32_t> seen;
        for (uint32_t i = 0; i < n; ++i) {
            seen.insert(bench::Scrambled(i, n));
        }
        EXPECT_EQ(seen.size(), n);
        EXPECT_LT(*seen.rbegin(), n);
    }
    EXPECT_NE(bench::Scrambled(1, 1000), 1u);
}

TEST(BenchScenes, ProcessesAreListedSortedWithTheirNames) {
    fake::FakeOs os;
    bench::AddProcesses(os, 1000);
    EXPECT_FALSE(
        std::is_sorted(os.processOrder.begin(), os.processOrder.end())); // enumerated out of order
    main_window::ProcessSnapshot snapshot = main_window::TakeProcessSnapshot(os);
    ASSERT_EQ(snapshot.lNumProcesses, 1000);
    EXPECT_EQ(snapshot.lPIDs.front(), 8);
    EXPECT_EQ(snapshot.lPIDs.back(), 8 + 4 * 999);
    EXPECT_TRUE(std::is_sorted(snapshot.lPIDs.begin(), snapshot.lPIDs.end()));
    EXPECT_EQ(snapshot.sProcNames[1], "process12.exe");
    EXPECT_EQ(snapshot.sProcPaths[1], "C:\\Programs\\process12.exe");
}

TEST(BenchScenes, ModulesHaveDistinctBasesAndComeOutInBaseOrder) {
    fake::FakeOs os;
    os.processes[8] = bench::ProcessWithModules(500);
    HANDLE process = os.OpenProcess(0x410, FALSE, 8);
    main_window::ModuleListing listing = main_window::ReadModules(os, process);
    ASSERT_TRUE(listing.succeeded);
    const auto& bases = listing.table.lModuleBases;
    ASSERT_EQ(bases.size(), 501u);
    EXPECT_TRUE(std::adjacent_find(bases.begin(), bases.end(), std::greater_equal<>()) ==
                bases.end());
    EXPECT_EQ(listing.table.sModuleNames[1], "module0.dll");
    os.CloseHandle(process);
}

TEST(BenchScenes, RegionsAlternateOnePageEachUpToTwoGigabytes) {
    fake::FakeOs os;
    os.processes[8] = bench::ProcessWithRegions(5000);
    HANDLE process = os.OpenProcess(0x410, FALSE, 8);
    auto map = memory_map::WalkRegions(os, process, memory_map::MapKind::AllRegions);
    EXPECT_EQ(map.regions, 5002);
    EXPECT_NE(map.text.find("1 0000 - 1 0FFF\t1 pp\tCOMMIT\tPRIVATE\tREADWRITE\r\n"
                            "1 1000 - 1 1FFF\t1 pp\tRESERVE\tPRIVATE\t0\r\n"),
              std::string::npos);
    EXPECT_EQ(map.text.substr(map.text.rfind('\n') + 1), "139 8000 - 7FFF FFFF\t519272 pp\tFREE");
    os.CloseHandle(process);
}

TEST(BenchHelpers, ModuleCopiesAreNamedLikeTheBuildNamesThem) {
    EXPECT_EQ(bench::ModuleCopyName(7), "bench_module_0007.dll");
    EXPECT_EQ(bench::ModuleCopyName(1200), "bench_module_1200.dll");
    EXPECT_EQ(bench::LoadModuleCopies("C:\\no such folder", 3), 0);
    EXPECT_EQ(bench::CountModuleCopies(::GetCurrentProcess()), 0);
}

TEST(BenchHelpers, TheRegionLayoutGivesOneRegionPerPageBelowTwoGigabytes) {
    bench::RegionBlock block = bench::LayOutRegions(300);
    ASSERT_NE(block.base, 0u);
    EXPECT_LT(block.base + block.bytes, 0x7FFEFFFFu);
    bench::RegionCheck check = bench::CheckRegions(::GetCurrentProcess(), block);
    EXPECT_EQ(check.regions, 300);
    EXPECT_TRUE(check.alternating);
    // Committing the reserved pages merges the block: the check must notice.
    for (int page = 1; page < 300; page += 2) {
        ::VirtualAlloc(reinterpret_cast<void*>(block.base + page * bench::kPageBytes),
                       bench::kPageBytes, MEM_COMMIT, PAGE_READWRITE);
    }
    check = bench::CheckRegions(::GetCurrentProcess(), block);
    EXPECT_EQ(check.regions, 1);
    EXPECT_FALSE(check.alternating);
    ::VirtualFree(reinterpret_cast<void*>(block.base), 0, MEM_RELEASE);
}

} // namespace
