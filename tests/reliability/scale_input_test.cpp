// Scale and bad input through the real windows over the fake: a hundred
// thousand processes, names that fill the system's buffer, byte totals past
// 4 GB, regions near 2 GB and hostile version value lengths.

#include "system/bas_enum_procs.h"
#include "tests/kit/messages.h"
#include "tests/reliability/scene.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>

namespace reliability {

namespace {

using main_window::MainControl;
using memory_map::MapControl;

void ScriptHundredThousand(fake::FakeOs& os) {
    for (DWORD i = 0; i < 100000; ++i) {
        DWORD pid = 8 + 4 * i;
        std::string name = "p" + std::to_string(pid) + ".exe";
        os.processes[pid] = fake::MakeProcess(name, "C:\\p\\" + name);
    }
}

TEST(Scale, AHundredThousandProcessesFillTheRealList) {
    auto start = std::chrono::steady_clock::now();
    Scene scene(ScriptHundredThousand);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("100000 processes listed in %.2f s\n", seconds);
    EXPECT_EQ(scene.Text(MainControl::lblProcesses), "100000 Processes");
    HWND list = scene.Get(MainControl::lstProcesses);
    ASSERT_EQ(app::RowCount(list), 100000);
    EXPECT_EQ(app::RowText(list, 0), "8 - p8.exe (normal)");
    EXPECT_EQ(app::RowText(list, 99999), "400004 - p400004.exe (normal)");
    scene.SelectProcess(99999);
    EXPECT_EQ(scene.Text(MainControl::txtStatus), "C:\\p\\p400004.exe");
    EXPECT_EQ(scene.Text(MainControl::lblModules), "1 Modules taking 106,496 bytes");
    EXPECT_EQ(scene.os.OpenHandles(), 0);
}

const std::string kName259(259, 'a');
const std::string kName260(260, 'b'); // fills the buffer: no terminator comes back
const std::string kName300(300, 'c'); // cut at the buffer's end
const std::string kPath300 = "C:\\" + std::string(297, 'p');

void ScriptLongNames(fake::FakeOs& os) {
    fake::Process first = fake::MakeProcess(kName260, kPath300);
    first.modules.push_back({0x10000000, 0x1000, kName259, "C:\\short.dll"});
    first.modules.push_back({0x20000000, 0x1000, kName300, kPath300});
    first.regions = {fake::Region(0, 0x400000, MEM_FREE),
                     fake::Region(0x400000, 0x1000, MEM_COMMIT, MEM_IMAGE, PAGE_READONLY),
                     fake::Region(0x401000, 0x7FBFF000, MEM_FREE)};
    os.processes[8] = first;
    os.processes[12] = fake::MakeProcess(kName300, "C:\\b.exe");
    os.drivers = {{0x80100000u, kName260, kPath300}};
    os.ownExePath = "C:\\" + std::string(300, 'v') + ".exe";
}

TEST(BadInput, NamesOfTheBufferSizeAndPastItInEveryList) {
    Scene scene(ScriptLongNames);
    const std::string cut300 = kName300.substr(0, 260);
    EXPECT_EQ(scene.Rows(MainControl::lstProcesses),
              (std::vector<std::string>{"8 - " + kName260 + " (normal)",
                                        "12 - " + cut300 + " (normal)"}));
    EXPECT_EQ(scene.Rows(MainControl::lstDrivers),
              std::vector<std::string>{kName260 + " @ 8010 0000"});
    EXPECT_EQ(scene.form->Drivers().sDriverPaths[0], kPath300.substr(0, 260));

    scene.SelectProcess(0);
    EXPECT_EQ(scene.Text(MainControl::txtStatus), kPath300.substr(0, 260));
    EXPECT_EQ(scene.Rows(MainControl::lstModules),
              (std::vector<std::string>{kName260 + " @ 400000: 1A000 (106,496)",
                                        kName259 + " @ 10000000: 1000 (4,096)",
                                        cut300 + " @ 20000000: 1000 (4,096)"}));
    scene.OpenMap(8, kName260);
    scene.map->cmdMap_Click();
    ASSERT_EQ(scene.MapLines().size(), 3u);
    EXPECT_EQ(scene.MapLines()[1],
              "40 0000 - 40 0FFF\t1 pp\tCOMMIT\tIMAGE\tREADONLY\t" + kPath300.substr(0, 260));
    EXPECT_EQ(app::GetText(scene.map->Handle()), "Memory Map: " + kName260);

    // The program's own path, cut at MAX_PATH, still yields the error's source.
    sys::RaisedError error = basEnumProcs::MakeWinError(scene.os, 5);
    EXPECT_EQ(error.Source(), std::string(257, 'v') + ".Windows");
}

void ScriptHugeModules(fake::FakeOs& os) {
    fake::Process big = fake::MakeProcess("main.exe", "C:\\main.exe");
    big.modules.push_back({0x10000000, 0xFFFFF000u, "big1.dll", "C:\\big1.dll"});
    big.modules.push_back({0x90000000u, 0x80000000u, "big2.dll", "C:\\big2.dll"});
    big.counters.WorkingSetSize = 0xFFFFFFFFu;
    os.processes[8] = big;
}

TEST(BadInput, ModuleBytesPastFourGigabytesInTheWindow) {
    Scene scene(ScriptHugeModules);
    scene.SelectProcess(0);
    EXPECT_EQ(scene.Rows(MainControl::lstModules),
              (std::vector<std::string>{"big2.dll @ 90000000: 80000000 (2,147,483,648)",
                                        "main.exe @ 400000: 1A000 (106,496)",
                                        "big1.dll @ 10000000: FFFFF000 (4,294,963,200)"}));
    EXPECT_EQ(scene.Text(MainControl::lblModules), "3 Modules taking 6,442,553,344 bytes");
    EXPECT_EQ(scene.Text(MainControl::lblWorkingSet), "Working Set Size: 4,294,967,295");
    for (int row = 0; row < 3; ++row) {
        scene.Select(MainControl::lstModules, row); // marks on the bar past its end
        EXPECT_EQ(scene.Text(MainControl::txtFilePath),
                  scene.form->Modules().sModulePaths[static_cast<size_t>(row)]);
    }
    testkit::PumpMessages(); // the bar repaints
}

void ScriptLargeRegions(fake::FakeOs& os) {
    os.processes[8] = fake::MakeProcess("a.exe", "C:\\a.exe");
    os.processes[8].regions = {fake::Region(0, 0x7FFF0000, MEM_FREE)};
    os.processes[12] = fake::MakeProcess("b.exe", "C:\\b.exe");
    os.processes[12].regions = {fake::Region(0, 0x10000, MEM_FREE),
                                fake::Region(0x10000, 0x7FFDF000, MEM_RESERVE, MEM_PRIVATE),
                                fake::Region(0x7FFEF000, 0x1000, MEM_COMMIT, MEM_PRIVATE, 4)};
    os.processes[16] = fake::MakeProcess("c.exe", "C:\\c.exe");
    os.processes[16].regions = {fake::Region(0, 0x10000, MEM_FREE),
                                fake::Region(0x10000, 0xFFFF0000u, MEM_RESERVE, MEM_PRIVATE)};
}

TEST(BadInput, RegionsNearTwoGigabytesAndPastThem) {
    Scene scene(ScriptLargeRegions);
    struct Case {
        DWORD pid;
        std::vector<std::string> lines;
        const char* free;
    };
    const Case cases[] = {
        {8, {"0 - 7FFE FFFF\t524272 pp\tFREE"}, "524272 free pages"},
        {12,
         {"0 - FFFF\t16 pp\tFREE", "1 0000 - 7FFE EFFF\t524255 pp\tRESERVE\tPRIVATE\t0",
          "7FFE F000 - 7FFE FFFF\t1 pp\tCOMMIT\tPRIVATE\tREADWRITE"},
         "16 free pages"},
        {16,
         {"0 - FFFF\t16 pp\tFREE", "1 0000 - FFFF FFFF\t1048560 pp\tRESERVE\tPRIVATE\t0"},
         "16 free pages"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pid);
        scene.OpenMap(c.pid, "x.exe");
        scene.map->cmdMap_Click();
        EXPECT_EQ(scene.MapLines(), c.lines);
        EXPECT_EQ(scene.MapText(MapControl::txtFree), c.free);
    }
    EXPECT_EQ(scene.os.OpenHandles(), 0);
}

void ScriptVersionedModule(fake::FakeOs& os) {
    os.processes[8] = fake::MakeProcess("v.exe", "C:\\v.exe");
    VS_FIXEDFILEINFO fixed{};
    fixed.dwFileVersionMS = 0x00010002;
    fake::VersionFile file = fake::UsEnglishVersionFile(128, fixed, 64);
    file.Put("\\StringFileInfo\\040904B0\\CompanyName", 120, "EndCo", 5, 6);
    os.versionFiles["C:\\v.exe"] = file;
}

TEST(BadInput, HostileVersionValueLengthsInTheVersionBox) {
    Scene scene(ScriptVersionedModule);
    scene.SelectProcess(0);
    auto& values = scene.os.versionFiles["C:\\v.exe"].values;
    const std::string company = "\\StringFileInfo\\040904B0\\CompanyName";
    const std::string head = "File Ver 1.2.0.0 - Product Ver 0.0.0.0 - Date: 01/01/1601 00:00:00";
    struct Case {
        const char* what;
        std::string subBlock;
        fake::VersionValue value;
        std::string line;
    };
    const Case cases[] = {
        {"company length UINT_MAX", company, {120, UINT_MAX}, head + " - Co: EndCo"},
        {"translation length UINT_MAX",
         "\\VarFileInfo\\Translation",
         {64, UINT_MAX},
         head + " - Co: EndCo"},
        {"company of length 0", company, {120, 0}, head + " - Co: "},
        {"company before the block", company, {SIZE_MAX - 15, 8}, head},
        {"company just past the block", company, {128, 8}, head},
        {"root in the last byte, length UINT_MAX", "\\", {127, UINT_MAX}, ""},
        {"root past the block", "\\", {128, sizeof(VS_FIXEDFILEINFO)}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake::VersionValue saved = values[c.subBlock];
        values[c.subBlock] = c.value;
        scene.Select(MainControl::lstModules, 0);
        EXPECT_EQ(scene.Text(MainControl::txtVersionInfo), c.line);
        values[c.subBlock] = saved;
    }
}

} // namespace

} // namespace reliability
