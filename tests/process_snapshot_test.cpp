#include "main_window/process_snapshot.h"
#include "system/raised_error.h"
#include "tests/kit/fake_os.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

using main_window::ProcessRowText;
using main_window::TakeProcessSnapshot;

namespace {

void AddProcesses(fake::FakeOs& os, int count) {
    for (int i = 1; i <= count; ++i) {
        os.processes[static_cast<DWORD>(i * 4)] =
            fake::MakeProcess("p" + std::to_string(i) + ".exe", "C:\\p.exe");
    }
}

TEST(ProcessSnapshot, IdsAscendWhateverOrderTheSystemGives) {
    fake::FakeOs os;
    AddProcesses(os, 300);
    for (const auto& entry : os.processes) {
        os.processOrder.push_back(entry.first);
    }
    std::mt19937 random(12345);
    std::shuffle(os.processOrder.begin(), os.processOrder.end(), random);
    auto snapshot = TakeProcessSnapshot(os);
    ASSERT_EQ(snapshot.lNumProcesses, 300);
    EXPECT_TRUE(std::is_sorted(snapshot.lPIDs.begin(), snapshot.lPIDs.end()));
    // The parallel arrays moved with their ids.
    EXPECT_EQ(snapshot.lPIDs[9], 40);
    EXPECT_EQ(snapshot.sProcNames[9], "p10.exe");
}

TEST(ProcessSnapshot, SpecialIdsNamedWhenTheyCannotBeOpened) {
    fake::FakeOs os;
    for (DWORD id : {0u, 2u, 28u, 8u}) {
        os.processes[id] = fake::MakeProcess("x.exe", "C:\\x.exe");
        os.processes[id].openError = ERROR_ACCESS_DENIED;
    }
    auto snapshot = TakeProcessSnapshot(os);
    ASSERT_EQ(snapshot.lNumProcesses, 4);
    EXPECT_EQ(snapshot.lPIDs, (std::vector<int32_t>{0, 2, 8, 28}));
    EXPECT_EQ(snapshot.sProcNames,
              (std::vector<std::string>{"Idle Process", "System", "", "csrss.exe (Win32)"}));
    EXPECT_EQ(snapshot.sProcPaths, snapshot.sProcNames);
    EXPECT_EQ(snapshot.sProcPriority, (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(os.opened, 0);

    // Since Windows 10 ids 2 and 28 may be any process: the system's snapshot names it,
    // and no special name is shown as its name or its path. Id 0 stays the Idle Process.
    os.processes[0].exeName = "[System Process]";
    os.processes[2].exeName = "smss.exe";
    os.processes[28].exeName = "fontdrvhost.exe";
    snapshot = TakeProcessSnapshot(os);
    EXPECT_EQ(snapshot.sProcNames,
              (std::vector<std::string>{"Idle Process", "smss.exe", "", "fontdrvhost.exe"}));
    EXPECT_EQ(snapshot.sProcPaths, (std::vector<std::string>{"Idle Process", "", "", ""}));
}

TEST(ProcessSnapshot, ASpecialIdThatOpensShowsItsRealModule) {
    fake::FakeOs os;
    os.processes[28] =
        fake::MakeProcess("csrss.exe", "C:\\windows\\system32\\csrss.exe", HIGH_PRIORITY_CLASS);
    auto snapshot = TakeProcessSnapshot(os);
    EXPECT_EQ(snapshot.sProcNames[0], "csrss.exe");
    EXPECT_EQ(snapshot.sProcPaths[0], "C:\\windows\\system32\\csrss.exe");
    EXPECT_EQ(snapshot.sProcPriority[0], "high");
}

TEST(ProcessSnapshot, EveryPriorityClassName) {
    struct Case {
        DWORD value;
        const char* name;
    } cases[] = {{0x20, "normal"}, {0x40, "idle"},  {0x80, "high"}, {0x100, "real"},
                 {0x4000, "???"},  {0x8000, "???"}, {0, "???"},     {0x21, "???"}};
    for (const Case& c : cases) {
        EXPECT_EQ(main_window::PriorityClassName(c.value), c.name) << c.value;
    }
    fake::FakeOs os;
    os.processes[8] = fake::MakeProcess("a.exe", "C:\\a.exe", 0x4000);
    os.processes[12] = fake::MakeProcess("b.exe", "C:\\b.exe");
    os.Fail("GetPriorityClass", ERROR_ACCESS_DENIED, 2);
    auto snapshot = TakeProcessSnapshot(os);
    EXPECT_EQ(snapshot.sProcPriority, (std::vector<std::string>{"???", "???"}));
}

TEST(ProcessSnapshot, FailedNameQueriesLeaveEmptyTextsAndKeepTheRest) {
    fake::FakeOs os;
    os.processes[8] = fake::MakeProcess("a.exe", "C:\\a.exe");
    os.processes[12] = fake::MakeProcess("b.exe", "C:\\b.exe");
    os.processes[16] = fake::MakeProcess("c.exe", "C:\\c.exe");
    os.Fail("GetModuleBaseNameA", ERROR_ACCESS_DENIED, 1);
    os.Fail("GetModuleFileNameExA", ERROR_ACCESS_DENIED, 2);
    os.Fail("EnumProcessModules", ERROR_PARTIAL_COPY, 3);
    os.Fail("QueryFullProcessImageNameA", ERROR_ACCESS_DENIED);
    auto snapshot = TakeProcessSnapshot(os);
    EXPECT_EQ(snapshot.sProcNames, (std::vector<std::string>{"", "b.exe", ""}));
    EXPECT_EQ(snapshot.sProcPaths, (std::vector<std::string>{"C:\\a.exe", "", ""}));
    EXPECT_EQ(snapshot.sProcPriority, (std::vector<std::string>{"normal", "normal", ""}));
    EXPECT_EQ(os.enumModulesSizes, std::vector<DWORD>(3, sizeof(HMODULE)));
    EXPECT_EQ(os.OpenHandles(), 0);
}

// On 64-bit Windows no 64-bit process lets this 32-bit program read its module
// list; its image path stands in for the main module's name and path.
TEST(ProcessSnapshot, WithoutAModuleListTheImagePathNamesTheProcess) {
    fake::FakeOs os;
    os.processes[2] =
        fake::MakeProcessWithoutModules("C:\\Windows\\System32\\ntoskrnl.exe", ERROR_PARTIAL_COPY);
    os.processes[28] = fake::MakeProcessWithoutModules("", ERROR_PARTIAL_COPY);
    os.processes[40] =
        fake::MakeProcessWithoutModules("C:\\Windows\\System32\\svchost.exe", ERROR_PARTIAL_COPY);
    os.processes[40].priority = HIGH_PRIORITY_CLASS;
    os.processes[44] = fake::MakeProcessWithoutModules("noslash.exe", ERROR_PARTIAL_COPY);
    std::string longPath = "C:\\" + std::string(256, 'p');
    os.processes[48] = fake::MakeProcessWithoutModules(longPath, ERROR_PARTIAL_COPY);
    os.processes[52] = fake::MakeProcessWithoutModules(longPath + "x", ERROR_PARTIAL_COPY);
    auto snapshot = TakeProcessSnapshot(os);
    EXPECT_EQ(snapshot.sProcNames,
              (std::vector<std::string>{"ntoskrnl.exe", "csrss.exe (Win32)", "svchost.exe",
                                        "noslash.exe", std::string(256, 'p'), ""}));
    EXPECT_EQ(snapshot.sProcPaths[0], "C:\\Windows\\System32\\ntoskrnl.exe");
    EXPECT_EQ(snapshot.sProcPaths[1], "csrss.exe (Win32)"); // the query failed
    EXPECT_EQ(snapshot.sProcPaths[4], longPath);            // 259 characters and the NUL
    EXPECT_EQ(snapshot.sProcPaths[5], "");                  // too long for the buffer
    EXPECT_EQ(snapshot.sProcPriority,
              (std::vector<std::string>{"normal", "", "high", "normal", "normal", ""}));
    EXPECT_EQ(os.OpenHandles(), 0);
}

// Before Windows Vista there is no image path to ask for: rows stay as they were.
TEST(ProcessSnapshot, WithoutTheImagePathCallRowsStayNameless) {
    fake::FakeOs os;
    os.processes[0] = fake::MakeProcessWithoutModules("C:\\idle", ERROR_PARTIAL_COPY);
    os.processes[8] = fake::MakeProcessWithoutModules("C:\\a.exe", ERROR_PARTIAL_COPY);
    os.processes[12] = fake::MakeProcess("b.exe", "C:\\b.exe");
    os.processes[16] = fake::MakeProcessWithoutModules("C:\\c.exe", ERROR_PARTIAL_COPY);
    os.processes[16].openError = ERROR_ACCESS_DENIED;
    os.Fail("QueryFullProcessImageNameA", ERROR_PROC_NOT_FOUND);
    auto snapshot = TakeProcessSnapshot(os);
    EXPECT_EQ(main_window::ProcessRows(snapshot),
              (std::vector<std::string>{"0 - Idle Process ()", "8 -  ()", "12 - b.exe (normal)",
                                        "16 -  ()"}));
    EXPECT_EQ(os.calls["QueryFullProcessImageNameA"], 2); // only for the opened, module-less ones
    EXPECT_EQ(os.OpenHandles(), 0);
}

TEST(ProcessSnapshot, FailedEnumerationRaisesTheSystemError) {
    fake::FakeOs os;
    AddProcesses(os, 60);
    os.Fail("EnumProcesses", ERROR_ACCESS_DENIED, 2);
    try {
        TakeProcessSnapshot(os);
        FAIL() << "no error raised";
    } catch (const sys::RaisedError& error) {
        EXPECT_EQ(error.Number(), -2147192499);
        EXPECT_EQ(error.Description(), "Error: 5(&H5): Access denied.");
    }
    EXPECT_EQ(os.opened, 0);
}

TEST(ProcessSnapshot, AHundredThousandProcessesAreAllListed) {
    fake::FakeOs os;
    for (DWORD i = 0; i < 100000; ++i) {
        os.processOrder.push_back(400000 - i * 4);
    }
    auto snapshot = TakeProcessSnapshot(os); // nothing opens: only the ids count
    ASSERT_EQ(snapshot.lNumProcesses, 100000);
    EXPECT_EQ(snapshot.lPIDs.front(), 4);
    EXPECT_EQ(snapshot.lPIDs.back(), 400000);
    auto rows = main_window::ProcessRows(snapshot);
    EXPECT_EQ(rows.size(), 100000u);
    EXPECT_EQ(rows.back(), "400000 -  ()");
}

TEST(ProcessRows, TextsAndCaption) {
    EXPECT_EQ(ProcessRowText(0, "Idle Process", ""), "0 - Idle Process ()");
    EXPECT_EQ(ProcessRowText(28, "csrss.exe (Win32)", ""), "28 - csrss.exe (Win32) ()");
    EXPECT_EQ(ProcessRowText(412, "editor.exe", "normal"), "412 - editor.exe (normal)");
    EXPECT_EQ(ProcessRowText(1234, "", ""), "1234 -  ()");
    EXPECT_EQ(ProcessRowText(-8, "neg.exe", "idle"), "-8 - neg.exe (idle)");
    EXPECT_EQ(main_window::ProcessCountCaption(0), "0 Processes");
    EXPECT_EQ(main_window::ProcessCountCaption(1), "1 Processes");
    EXPECT_EQ(main_window::ProcessCountCaption(32768), "32768 Processes");
}

} // namespace
