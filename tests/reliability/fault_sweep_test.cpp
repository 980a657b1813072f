// Every operation a user can start, over the real windows and the fake system:
// recorded once, then run again once per system call it made with exactly that
// call failing, once per call name with every call of that name failing, and
// once with every call of the layer failing. After each run the program is
// alive (or reports the one error it raises on purpose), nothing of the
// previously selected process stays, what the window shows is whole or degraded
// only as the failed call allows, every process handle opened is closed once,
// and each open asks for query and read rights only. How one particular failure
// shows is for the logic and window tests; nothing here depends on the order of
// an operation's calls beyond their names.

#include "tests/kit/messages.h"
#include "tests/kit/text.h"
#include "tests/reliability/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace reliability {

namespace {

using main_window::MainControl;
using memory_map::MapControl;
using testkit::DigitsOf;
using testkit::PumpMessages;
using testkit::StartsWith;

constexpr char kRunTimeError[] = "Run-time error ";

// --- refresh -------------------------------------------------------------

void CheckRefresh(Scene& scene, const Injection& injection) {
    EXPECT_EQ(scene.Text(MainControl::lblProcesses), "2 Processes");
    // A row is whole, or degraded in the one way its failed query allows.
    struct Row {
        const char* whole;
        const char* unopened;
        const char* unnamed;
        const char* noPriority;
    };
    const Row rows[] = {
        {"8 - alpha.exe (normal)", "8 -  ()", "8 -  (normal)", "8 - alpha.exe (\?\?\?)"},
        {"12 - beta.exe (normal)", "12 -  ()", "12 -  (normal)", "12 - beta.exe (\?\?\?)"}};
    std::vector<std::string> shown = scene.Rows(MainControl::lstProcesses);
    ASSERT_EQ(shown.size(), 2u);
    int degraded = 0;
    for (size_t r = 0; r < 2; ++r) {
        const Row& row = rows[r];
        bool whole = shown[r] == row.whole;
        degraded += whole ? 0 : 1;
        bool allowed = whole || (shown[r] == row.unopened && injection.Hits("OpenProcess")) ||
                       (shown[r] == row.unnamed && injection.Hits("GetModuleBaseNameA")) ||
                       (shown[r] == row.noPriority && injection.Hits("GetPriorityClass"));
        EXPECT_TRUE(allowed) << shown[r];
    }
    // Without a module list the image path stands in, and so does the limited open
    // for one refused open: those failures leave the rows whole.
    const char* rowCalls[] = {"GetModuleBaseNameA", "GetPriorityClass"};
    for (const char* call : rowCalls) {
        if (injection.call == call) {
            EXPECT_EQ(degraded, injection.number == 0 ? 2 : 1);
        }
    }
    if (injection.call == "OpenProcess") {
        EXPECT_EQ(degraded, injection.number == 0 ? 2 : 0);
    }
    const auto& paths = scene.form->Snapshot().sProcPaths;
    if (injection.call == "GetModuleFileNameExA") {
        EXPECT_EQ(std::count(paths.begin(), paths.end(), ""), injection.number == 0 ? 2 : 1);
    } else if (!injection.Hits("OpenProcess")) {
        EXPECT_EQ(paths, (std::vector<std::string>{"C:\\alpha.exe", "C:\\beta.exe"}));
    }
    EXPECT_EQ(scene.Rows(MainControl::lstDrivers),
              std::vector<std::string>{testkit::DriverRow("disk.sys", "8010 0000")});
    EXPECT_EQ(scene.form->Drivers().sDriverPaths[0], "\\SystemRoot\\disk.sys");
    // Alpha was selected before: the refresh leaves nothing of it on the module side.
    scene.ExpectModuleSideCleared();
}

// --- process selection: alpha first, then beta with the failure ----------

void CheckBetaCounters(Scene& scene) {
    EXPECT_EQ(DigitsOf(scene.Text(MainControl::lblWorkingSet)), "222222");
    EXPECT_EQ(DigitsOf(scene.Text(MainControl::lblPageFile)), "444444");
    EXPECT_EQ(DigitsOf(scene.Text(MainControl::lblPageFaults)), "8888");
}

void CheckBetaModules(Scene& scene, const Injection& injection) {
    std::vector<std::string> rows = scene.Rows(MainControl::lstModules);
    ASSERT_EQ(rows.size(), 2u);
    int unnamed = 0;
    int unlocated = 0;
    for (const std::string& row : rows) {
        unnamed += StartsWith(row, " @ ") ? 1 : 0;
        unlocated += row.find(" @ 0: 0 ()") != std::string::npos ? 1 : 0;
    }
    // The names and places come from the walk of the loader's list; PSAPI.DLL's
    // queries, whose failures show, run only when that walk fails too.
    auto expected = [&](const char* call) {
        return injection.everything && injection.Hits(call) ? 2 : 0;
    };
    EXPECT_EQ(unnamed, expected("GetModuleBaseNameA"));
    EXPECT_EQ(unlocated, expected("GetModuleInformation"));
    int unpathed = 0;
    for (const std::string& path : scene.form->Modules().sModulePaths) {
        unpathed += path.empty() ? 1 : 0;
    }
    EXPECT_EQ(unpathed, expected("GetModuleFileNameExA"));
    if (unnamed == 0 && unlocated == 0) {
        EXPECT_EQ(rows, (std::vector<std::string>{"beta.exe @ 400000: 1A000 (106,496)",
                                                  "betalib.dll @ 20000000: 8000 (32,768)"}));
        EXPECT_EQ(DigitsOf(scene.Text(MainControl::lblModules)), "2139264");
    }
}

void CheckProcessSelection(Scene& scene, const Injection& injection) {
    scene.ExpectNothingOfAlpha();
    // What a failed open, counter query or module listing shows is the window tests'
    // (DetailsTest); every other failure leaves beta shown, degraded only where it allows.
    if (injection.Hits("OpenProcess") || injection.Hits("GetProcessMemoryInfo") ||
        injection.Hits(fake::kModuleListCall)) {
        return;
    }
    EXPECT_EQ(scene.Text(MainControl::txtStatus), "C:\\beta.exe");
    CheckBetaCounters(scene);
    CheckBetaModules(scene, injection);
}

// --- module selection: alpha's exe, whose file has version data ----------

// The version line without its company: the date degrades with its own calls.
std::string VersionLineHead(const Injection& injection) {
    std::string date;
    if (!injection.Hits("GetFileAttributesExA") && !injection.Hits("FileTimeToLocalFileTime") &&
        !injection.Hits("FileTimeToSystemTime")) {
        date = injection.Hits("GetDateFormatA") ? "" : "01/02/2020";
        if (!injection.Hits("GetTimeFormatA")) {
            date += (date.empty() ? "" : " ") + std::string("03:04:05");
        }
    }
    return "File Ver 1.2.3.4 - Product Ver 1.2.0.0 - Date: " + date;
}

void CheckModuleSelection(Scene& scene, const Injection& injection) {
    EXPECT_EQ(scene.Text(MainControl::txtFilePath), "C:\\alpha.exe");
    std::string version = scene.Text(MainControl::txtVersionInfo);
    std::string head = VersionLineHead(injection);
    std::string whole = head + " - Co: Alpha Co";
    if (injection.Hits("GetFileVersionInfoSizeA") || injection.Hits("GetFileVersionInfoA")) {
        EXPECT_TRUE(StartsWith(version, "Error: 5(&H5): ")) << version;
    } else if (injection.number == 0 && injection.Hits("VerQueryValueA")) {
        EXPECT_EQ(version, ""); // no fixed record: nothing to show
    } else if (injection.Hits("VerQueryValueA")) {
        // Which value the failed query was for decides which of these shows: that is
        // the version tests' (VersionChoiceTest), whatever order the queries come in.
        EXPECT_TRUE(version.empty() || version == head || version == whole) << version;
    } else {
        EXPECT_EQ(version, whole);
    }
    EXPECT_EQ(app::SelectedRow(scene.Get(MainControl::lstDrivers)), -1);
}

void CheckDriverSelection(Scene& scene, const Injection&) {
    EXPECT_EQ(scene.Text(MainControl::txtFilePath), "\\SystemRoot\\disk.sys");
    EXPECT_EQ(scene.Text(MainControl::txtVersionInfo), "");
}

// --- the memory map window ---------------------------------------------

struct RegionLine {
    const char* text;
    bool free;
    int64_t pages;
};

const RegionLine kAlphaRegions[] = {
    {"0 - FFFF\t16 pp\tFREE", true, 16},
    {"1 0000 - 1 0FFF\t1 pp\tCOMMIT\tPRIVATE\tREADWRITE", false, 1},
    {"1 1000 - 3F FFFF\t1007 pp\tFREE", true, 1007},
    {"40 0000 - 40 0FFF\t1 pp\tCOMMIT\tIMAGE\tREADONLY\tC:\\alpha.exe", false, 1},
    {"40 1000 - 7FFF FFFF\t523263 pp\tFREE", true, 523263}};

void CheckMap(Scene& scene, const Injection& injection, bool freeOnly) {
    if (injection.Hits("OpenProcess")) { // the report is the window tests'
        EXPECT_EQ(scene.MapText(MapControl::txtMemMap), "");
        EXPECT_EQ(scene.MapText(MapControl::txtFree), "");
        return;
    }
    std::vector<const RegionLine*> expected;
    for (const RegionLine& region : kAlphaRegions) {
        if (region.free || !freeOnly) {
            expected.push_back(&region);
        }
    }
    // A failed query ends the walk (where, is the region walk tests'): the lines shown
    // are the map's first ones, and the free total counts the free ones among them.
    std::vector<std::string> lines = scene.MapLines();
    if (injection.Hits("VirtualQueryEx")) {
        ASSERT_LE(lines.size(), expected.size());
    } else {
        ASSERT_EQ(lines.size(), expected.size());
    }
    int64_t freePages = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string text = expected[i]->text;
        // Only the module path may be missing, when its query failed.
        bool pathDropped =
            injection.Hits("GetModuleFileNameExA") && text == lines[i] + "\tC:\\alpha.exe";
        EXPECT_TRUE(lines[i] == text || pathDropped) << lines[i];
        freePages += expected[i]->free ? expected[i]->pages : 0;
    }
    EXPECT_EQ(scene.MapText(MapControl::txtFree), std::to_string(freePages) + " free pages");
}

void CheckFullMap(Scene& scene, const Injection& injection) {
    EXPECT_EQ(app::GetText(scene.map->Handle()), "Memory Map: alpha.exe");
    CheckMap(scene, injection, false);
}

void CheckFreeMap(Scene& scene, const Injection& injection) {
    EXPECT_EQ(app::GetText(scene.map->Handle()), memory_map::kMemMapCaption);
    CheckMap(scene, injection, true);
}

void CheckClipboard(Scene& scene, const Injection& injection) {
    EXPECT_FALSE(scene.os.ClipboardOpen());
    EXPECT_EQ(scene.os.LiveGlobals(), 0); // freed, or owned by the clipboard
    bool copyFails = injection.Hits("OpenClipboard") || injection.Hits("GlobalAlloc") ||
                     injection.Hits("GlobalLock") || injection.Hits("SetClipboardData");
    if (copyFails) {
        EXPECT_FALSE(scene.os.clipboardHasText); // the report is the window tests'
        return;
    }
    EXPECT_EQ(scene.os.clipboardText,
              "Memory Map: alpha.exe\r\n" + scene.MapText(MapControl::txtMemMap));
    EXPECT_EQ(scene.os.calls["GlobalFree"], 0); // the clipboard owns the block now
}

// Whatever fails, closing ends the program; what the prompt asks and opens is the
// window tests' (MainWindowTest).
void CheckExit(Scene& scene, const Injection&) { EXPECT_EQ(scene.form->Handle(), nullptr); }

// --- the operations ----------------------------------------------------

struct Operation {
    const char* name;
    void (*prepare)(Scene&);
    void (*run)(Scene&);
    void (*check)(Scene&, const Injection&);
    bool ends = false;   // the program closes
    bool raises = false; // a failed enumeration reaches the uncaught-error report
};

const Operation kOperations[] = {
    {"refresh", [](Scene& s) { s.SelectProcess(0); },
     [](Scene& s) { s.Click(MainControl::cmdRefresh); }, CheckRefresh, false, true},
    {"process selection", [](Scene& s) { s.SelectProcess(0); },
     [](Scene& s) { s.SelectProcess(1); }, CheckProcessSelection},
    {"module selection", [](Scene& s) { s.SelectProcess(0); },
     [](Scene& s) { s.Select(MainControl::lstModules, 0); }, CheckModuleSelection},
    {"driver selection", [](Scene&) {}, [](Scene& s) { s.Select(MainControl::lstDrivers, 0); },
     CheckDriverSelection},
    {"map", [](Scene& s) { s.OpenMap(); }, [](Scene& s) { s.map->cmdMap_Click(); }, CheckFullMap},
    {"map free only", [](Scene& s) { s.OpenMap(); }, [](Scene& s) { s.map->cmdMapFree_Click(); },
     CheckFreeMap},
    {"to clipboard",
     [](Scene& s) {
         s.OpenMap();
         s.map->cmdMap_Click();
     },
     [](Scene& s) { s.map->cmdToClip_Click(); }, CheckClipboard},
    {"exit", [](Scene&) {}, [](Scene& s) { ::SendMessageA(s.form->Handle(), WM_CLOSE, 0, 0); },
     CheckExit, true},
};

bool RaisesOnPurpose(const Operation& operation, const Injection& injection) {
    return operation.raises &&
           (injection.Hits("EnumProcesses") || injection.Hits("NtQuerySystemInformation"));
}

void CheckUncaughtReport(Scene& scene, bool expected, bool quitSeen) {
    const fake::MessageBoxCall* report = nullptr;
    for (const fake::MessageBoxCall& box : scene.os.messageBoxes) {
        if (StartsWith(box.text, kRunTimeError)) {
            report = &box;
        }
    }
    EXPECT_EQ(report != nullptr, expected);
    if (report != nullptr) {
        EXPECT_EQ(report->caption, "Velmora Process Viewer");
        EXPECT_TRUE(quitSeen);
    }
}

// Runs one operation on a fresh scene; returns the calls it made.
std::map<std::string, int> RunOnce(const Operation& operation, const Injection& injection) {
    SCOPED_TRACE(std::string(operation.name) + " with " + injection.Describe());
    Scene scene;
    operation.prepare(scene);
    PumpMessages();
    scene.os.ResetCounts();
    injection.Apply(scene.os);
    operation.run(scene);
    bool quitSeen = PumpMessages();
    bool raised = RaisesOnPurpose(operation, injection);
    CheckUncaughtReport(scene, raised, quitSeen);
    EXPECT_EQ(quitSeen, raised || operation.ends);
    if (!operation.ends) {
        EXPECT_TRUE(::IsWindow(scene.form->Handle())); // still alive
    }
    EXPECT_EQ(scene.os.OpenHandles(), 0);
    EXPECT_EQ(scene.os.badCloses, 0);
    EXPECT_EQ(scene.os.opened, scene.os.closed);
    for (DWORD access : scene.os.openAccessMasks) {
        EXPECT_TRUE(access == 0x410u || access == PROCESS_QUERY_LIMITED_INFORMATION) << access;
    }
    if (!raised) {
        operation.check(scene, injection);
    }
    return scene.os.calls;
}

TEST(FaultSweep, EveryOperationWithEachOfItsCallsFailing) {
    int singleRuns = 0;
    int namePairs = 0;
    for (const Operation& operation : kOperations) {
        std::map<std::string, int> recorded = RunOnce(operation, Injection{});
        for (const auto& [call, count] : recorded) {
            ++namePairs;
            for (int number = 1; number <= count; ++number) {
                RunOnce(operation, Injection{call, number});
                ++singleRuns;
            }
            RunOnce(operation, Injection{call, 0});
        }
        RunOnce(operation, Injection::Everything());
    }
    std::printf("fault sweep: %d (operation, call, call number) runs with one call failing, "
                "%d (operation, call) pairs, %zu operations\n",
                singleRuns, namePairs, std::size(kOperations));
    EXPECT_GE(singleRuns, 60); // the recordings saw the operations' calls
}

} // namespace

} // namespace reliability
