// The memory map window over the helper, whose memory layout the test knows:
// the full map, the free-only map, the clipboard copy and the way back.

#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/memory_map_window.h"
#include "tests/blackbox/remote_window.h"
#include "tests/blackbox/row_text.h"
#include "tests/blackbox/system_view.h"
#include "tests/blackbox/viewed_helper.h"
#include "tests/blackbox/viewer_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

namespace blackbox {
namespace {

using main_window::MainControl;

std::string AddressRange(uintptr_t base, SIZE_T bytes) {
    return GroupedHex(base) + " - " + GroupedHex(base + bytes - 1);
}

uint64_t ParsedAddress(std::string digits) {
    digits.erase(std::remove(digits.begin(), digits.end(), ' '), digits.end());
    return std::stoull(digits, nullptr, 16);
}

uint64_t FirstAddress(const std::string& line) {
    return ParsedAddress(line.substr(0, line.find(" - ")));
}

uint64_t LastAddress(const std::string& line) {
    std::string range = SplitFields(line)[0];
    return ParsedAddress(range.substr(range.find(" - ") + 3));
}

uint64_t PagesOf(const std::string& line) { return std::stoull(SplitFields(line)[1]); }

bool IsFreeLine(const std::string& line) {
    std::vector<std::string> fields = SplitFields(line);
    return fields.size() == 3 && fields[2] == "FREE";
}

std::vector<std::string> FreeLines(const std::vector<std::string>& lines) {
    std::vector<std::string> free;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(free), IsFreeLine);
    return free;
}

uint64_t FreePages(const std::vector<std::string>& lines) {
    uint64_t pages = 0;
    for (const std::string& line : FreeLines(lines)) {
        pages += PagesOf(line);
    }
    return pages;
}

const std::string* LineStartingWith(const std::vector<std::string>& lines,
                                    const std::string& start) {
    for (const std::string& line : lines) {
        if (StartsWith(line, start)) {
            return &line;
        }
    }
    return nullptr;
}

class MemoryMap : public ViewedHelper {
protected:
    void SetUp() override {
        ViewedHelper::SetUp();
        viewer->SelectProcess(helper->Id());
        map = std::make_unique<MemoryMapWindow>(*viewer);
        map->MapAll(OwnExeName());
        fullMap = SplitLines(map->MapText());
    }
    void TearDown() override {
        map.reset();
        ViewedHelper::TearDown();
    }

    std::unique_ptr<MemoryMapWindow> map;
    std::vector<std::string> fullMap;
};

// A full map walks on from 0 without gaps, one line a region in 3, 5 or 6 fields.
void ExpectWholeMap(const std::vector<std::string>& map) {
    ASSERT_FALSE(map.empty());
    EXPECT_TRUE(StartsWith(map.front(), "0 - ")) << map.front();
    for (size_t k = 0; k < map.size(); ++k) {
        const std::string& line = map[k];
        size_t fields = SplitFields(line).size();
        EXPECT_TRUE(fields == 3 || fields == 5 || fields == 6) << line;
        EXPECT_EQ(fields == 3, IsFreeLine(line)) << "only free regions have 3 fields: " << line;
        EXPECT_EQ(LastAddress(line) - FirstAddress(line) + 1, PagesOf(line) * 4096) << line;
        if (k > 0) {
            EXPECT_EQ(FirstAddress(line), LastAddress(map[k - 1]) + 1) << "gap before " << line;
        }
    }
}

TEST_F(MemoryMap, FullMapWalksContiguouslyFromZeroInThreeFiveOrSixFields) {
    ExpectWholeMap(fullMap);
    EXPECT_FALSE(::IsWindowEnabled(viewer->Main())) << "the main window takes input under the map";
}

TEST_F(MemoryMap, FullMapShowsTheHelpersRegionsImagePathAndFreePages) {
    std::string committed = AddressRange(kCommittedBase, kCommittedBytes) + "\t" +
                            std::to_string(kCommittedBytes / 4096) +
                            " pp\tCOMMIT\tPRIVATE\tREADWRITE";
    EXPECT_TRUE(std::find(fullMap.begin(), fullMap.end(), committed) != fullMap.end())
        << "no line " << committed;
    std::string reserved = AddressRange(kReservedBase, kReservedBytes) + "\t" +
                           std::to_string(kReservedBytes / 4096) + " pp\tRESERVE\tPRIVATE\t";
    EXPECT_NE(LineStartingWith(fullMap, reserved), nullptr) << "no line " << reserved;

    const std::string* image = LineStartingWith(fullMap, GroupedHex(kHelperImageBase) + " - ");
    ASSERT_NE(image, nullptr) << "no line for the helper's image";
    std::vector<std::string> fields = SplitFields(*image);
    ASSERT_EQ(fields.size(), 6u) << *image;
    EXPECT_EQ(fields[3], "IMAGE");
    EXPECT_TRUE(EqualIgnoringCase(fields[5], MainModulePath(helper->Handle())))
        << "the image's path is not the inspected process's: " << fields[5];

    std::string free = map->FreeText();
    ASSERT_TRUE(EndsWith(free, " free pages")) << free;
    EXPECT_EQ(free, std::to_string(FreePages(fullMap)) + " free pages");
}

TEST_F(MemoryMap, FreeOnlyMapClipboardCopyAndCloseBackToARefreshedList) {
    std::string fullFree = map->FreeText();
    map->MapFreeOnly();
    std::string freeText = map->MapText();
    std::vector<std::string> freeOnly = SplitLines(freeText);
    for (const std::string& line : freeOnly) {
        EXPECT_TRUE(IsFreeLine(line)) << line;
    }
    EXPECT_EQ(freeOnly, FreeLines(fullMap));
    EXPECT_EQ(map->FreeText(), fullFree);

    EXPECT_EQ(map->CopyToClipboard(), "Memory Map: " + OwnExeName() + "\r\n" + freeText);

    map->Close();
    viewer->WaitFor("the main window's list rebuilt", [&] {
        return viewer->Text(MainControl::lblModules) == "No modules" &&
               RowCount(viewer->Control(MainControl::lstProcesses)) > 0 &&
               SelectedRow(viewer->Control(MainControl::lstProcesses)) == LB_ERR;
    });
    WaitUntilIdle(viewer->Main());
    EXPECT_TRUE(::IsWindowEnabled(viewer->Main()));
    EXPECT_EQ(RowCount(viewer->Control(MainControl::lstModules)), 0);
    EXPECT_GE(viewer->RowOfProcess(helper->Id()), 0);
}

using SixtyFourBitMemoryMap = InSixtyFourBitEdition<MemoryMap>;

// A 64-bit process's map runs on to the highest application address: its last
// region is the first that reaches it, and nothing at or past it is listed.
TEST_F(SixtyFourBitMemoryMap, RunsUpToTheHighestApplicationAddressAndNoFurther) {
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    uint64_t bound = reinterpret_cast<uintptr_t>(system.lpMaximumApplicationAddress);
    ASSERT_FALSE(fullMap.empty());
    for (const std::string& line : fullMap) {
        EXPECT_LT(FirstAddress(line), bound) << "past " << GroupedHex(bound) << ": " << line;
    }
    EXPECT_GE(LastAddress(fullMap.back()), bound - 1)
        << "the map stops below " << GroupedHex(bound) << ": " << fullMap.back();
}

// On 64-bit Windows the map of a 64-bit process covers its lower 2 GB like any
// other; only the paths of its images are missing, as its modules cannot be read.
// The process is one of the system's and lives on: the free-only map is compared
// with full maps from just before and just after it that agree.
TEST_F(SixtyFourBitProcess, MapIsWholeWithoutImagePathsAndItsFreeTotalsAgree) {
    MemoryMapWindow map(*viewer);
    std::vector<std::string> fullMap;
    std::string fullFree;
    std::vector<std::string> freeOnly;
    std::string freeOnlyTotal;
    for (int attempt = 1; attempt <= 5; ++attempt) {
        map.MapAll(listed.name);
        fullMap = SplitLines(map.MapText());
        fullFree = map.FreeText();
        map.MapFreeOnly();
        freeOnly = SplitLines(map.MapText());
        freeOnlyTotal = map.FreeText();
        map.MapAll(listed.name);
        if (SplitLines(map.MapText()) == fullMap) {
            break;
        }
    }
    ExpectWholeMap(fullMap);
    for (const std::string& line : fullMap) {
        std::vector<std::string> fields = SplitFields(line);
        if (fields.size() > 3 && fields[3] == "IMAGE") {
            EXPECT_EQ(fields.size(), 5u) << "a path no module list gave: " << line;
        }
    }
    EXPECT_EQ(fullFree, std::to_string(FreePages(fullMap)) + " free pages");
    EXPECT_EQ(freeOnly, FreeLines(fullMap));
    EXPECT_EQ(freeOnlyTotal, fullFree);
    map.Close();
}

} // namespace
} // namespace blackbox
