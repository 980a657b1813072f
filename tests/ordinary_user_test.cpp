// Windows 11 as a user who is not elevated sees it: most system and other users'
// processes refuse the open for query and memory read, some grant the limited
// right, and the kernel hides driver addresses. Then the same system with an
// elevated administrator's token.

#include "main_window/frm_enum_procs.h"
#include "tests/kit/main_window_fixture.h"
#include "tests/kit/text.h"
#include "tests/kit/window_reading.h"

#include <gtest/gtest.h>

using main_window::MainControl;

namespace {

constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class OrdinaryUser : public ::testing::Test, protected testkit::FakeMainWindow {
protected:
    void SetUp() override {
        Refused(0, ERROR_INVALID_PARAMETER, false, "", "[System Process]");
        Refused(4, ERROR_ACCESS_DENIED, true, "", "System");
        Refused(652, ERROR_ACCESS_DENIED, false, "", "csrss.exe");
        fake::Process& service = Refused(1040, ERROR_ACCESS_DENIED, true,
                                         "C:\\Windows\\System32\\svchost.exe", "svchost.exe");
        service.counters.WorkingSetSize = 2 << 20;
        Refused(5000, ERROR_INVALID_PARAMETER, false, "", ""); // ended since the id list
        os.processes[3000] = fake::MakeProcess("editor.exe", "C:\\Users\\me\\editor.exe");
        os.driverAddressesHidden = true;
        os.drivers = {{0xFFFFF80212340000, "\\SystemRoot\\system32\\ntoskrnl.exe"},
                      {0xFFFFF80212000000, "\\SystemRoot\\system32\\hal.dll"}};
        Open();
        os.ResetCounts();
        form->cmdRefresh_Click();
    }

    fake::Process& Refused(DWORD pid, DWORD error, bool limitedGranted, const std::string& image,
                           const std::string& exeName) {
        fake::Process& process = os.processes[pid];
        process.openError = error;
        process.limitedOpenGranted = limitedGranted;
        process.imagePath = image;
        process.exeName = exeName;
        process.priority = BELOW_NORMAL_PRIORITY_CLASS;
        return process;
    }

    void SelectProcess(DWORD pid) { Select(MainControl::lstProcesses, RowOf(pid)); }
    // At the bar's left end, where a driver at address 0 would lie: inside the bar
    // (its frame, or a driver's box) and in the strip below it (grey, or a mark).
    COLORREF BarLeftEnd(int twipsBelowTop) {
        const app::TwipsScale& scale = form->Scale();
        return testkit::ClientPixels(form->Handle())
            .At(scale.ToPixels(main_window::kRectMem.left),
                scale.ToPixels(main_window::kRectMem.top + twipsBelowTop));
    }
};

TEST_F(OrdinaryUser, EveryProcessIsNamedWithWhatTheLimitedRightGives) {
    EXPECT_EQ(Rows(MainControl::lstProcesses),
              (std::vector<std::string>{"0 - Idle Process ()", "4 - System ()",
                                        "652 - csrss.exe ()", "1040 - svchost.exe (\?\?\?)",
                                        "3000 - editor.exe (normal)", "5000 -  ()"}));
    EXPECT_EQ(form->Snapshot().sProcPaths[3], "C:\\Windows\\System32\\svchost.exe");
    EXPECT_EQ(form->Snapshot().sProcPaths[2], "");
    EXPECT_EQ(os.calls["CreateToolhelp32Snapshot"], 1);
    EXPECT_EQ(os.OpenHandles(), 0);
    for (DWORD access : os.openAccessMasks) {
        EXPECT_TRUE(access == 0x0410 || access == PROCESS_QUERY_LIMITED_INFORMATION) << access;
    }

    SelectProcess(1040);
    EXPECT_EQ(Text(MainControl::txtStatus), "C:\\Windows\\System32\\svchost.exe");
    EXPECT_EQ(Text(MainControl::lblWorkingSet), "Working Set Size: 2,097,152");
    EXPECT_EQ(Text(MainControl::lblModules), "No modules");
    EXPECT_EQ(app::RowCount(Get(MainControl::lstModules)), 0);

    os.Fail("GetProcessMemoryInfo", ERROR_ACCESS_DENIED);
    SelectProcess(652);
    EXPECT_EQ(Text(MainControl::txtStatus), "");
    EXPECT_EQ(Text(MainControl::lblWorkingSet), "Working Set Size: ");
    SelectProcess(1040);
    EXPECT_EQ(Text(MainControl::txtStatus), "C:\\Windows\\System32\\svchost.exe");
    EXPECT_EQ(Text(MainControl::lblWorkingSet), "Working Set Size: ");
    EXPECT_EQ(os.OpenHandles(), 0);
}

TEST_F(OrdinaryUser, DriversAreNamedWithHiddenAddressesUntilTheDebugPrivilegeIsHeld) {
    EXPECT_EQ(Rows(MainControl::lstDrivers),
              (std::vector<std::string>{"ntoskrnl.exe @ hidden", "hal.dll @ hidden"}));
    EXPECT_EQ(BarLeftEnd(600), kBlack) << "a hidden driver has a box";
    Select(MainControl::lstDrivers, 1);
    EXPECT_EQ(Text(MainControl::txtFilePath), "\\SystemRoot\\system32\\hal.dll");
    EXPECT_EQ(Text(MainControl::txtVersionInfo), main_window::kHiddenAddressesInfo);
    EXPECT_EQ(BarLeftEnd(782), kGrey) << "a hidden driver is marked";

    os.debugPrivilegeHeld = true;
    form->cmdRefresh_Click();
    // Sorted by address now (the lines' texts are the driver table's tests).
    std::vector<std::string> shown = Rows(MainControl::lstDrivers);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(testkit::StartsWith(shown[0], "hal.dll @ ") &&
                testkit::EndsWith(shown[0], "1200 0000"))
        << shown[0];
    EXPECT_FALSE(os.debugPrivilegeEnabled) << "the privilege is left enabled";
    EXPECT_EQ(os.opensWithDebugPrivilege, 0);
    EXPECT_EQ(os.processHandlesOpenAtModuleQuery, 0);
    Select(MainControl::lstDrivers, 0);
    EXPECT_EQ(Text(MainControl::txtVersionInfo), "");
}

} // namespace
