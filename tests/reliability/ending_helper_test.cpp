// A real helper process that ends while the viewer lists it, selects it and
// maps it, under Wine, through the real system layer. The watch on the layer
// ends the helper at the exact call chosen.

#include "main_window/frm_enum_procs.h"
#include "memory_map/frm_mem_map.h"
#include "tests/kit/helper_process.h"
#include "tests/kit/main_window_fixture.h"
#include "tests/kit/memory_map_fixture.h"
#include "tests/kit/messages.h"
#include "tests/reliability/observed_os.h"

#include <gtest/gtest.h>

#include <memory>

namespace reliability {

namespace {

using main_window::MainControl;
using memory_map::MapControl;
using testkit::HelperProcess;
using testkit::PumpMessages;
using testkit::RowOf;
using testkit::SelectRow;

constexpr char kOwnName[] = "velmora_real_reliability_tests.exe";
constexpr const char* kHelperName = kOwnName; // this program, started again

class EndingHelper : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(helper.Running()) << "the helper did not start"; }
    void TearDown() override {
        EXPECT_EQ(os.OpenHandles(), 0);
        EXPECT_EQ(os.badCloses, 0);
    }
    // Ends the helper just before call `call` asks about it.
    void EndHelperBefore(const std::string& call) {
        os.Before(call, [this](int, DWORD) { helper.End(); });
    }
    std::unique_ptr<main_window::frmEnumProcs> OpenMainWindow() {
        auto form = std::make_unique<main_window::frmEnumProcs>(os, ::GetModuleHandleA(nullptr));
        form->Show(SW_SHOWNOACTIVATE);
        form->cmdRefresh_Click();
        PumpMessages();
        return form;
    }
    std::string Text(main_window::frmEnumProcs& form, MainControl control) {
        return app::GetText(form.Control(control));
    }

    HelperProcess helper;
    ObservedOs os;
};

TEST_F(EndingHelper, EndsBetweenTheIdEnumerationAndItsOpen) {
    DWORD pid = helper.Id();
    os.Before("OpenProcess", [&](int, DWORD asked) {
        if (asked == pid) {
            helper.End();
            helper.WaitUntilForgotten();
        }
    });
    main_window::ProcessSnapshot snapshot = main_window::TakeProcessSnapshot(os);
    auto at = std::find(snapshot.lPIDs.begin(), snapshot.lPIDs.end(), static_cast<int32_t>(pid));
    ASSERT_NE(at, snapshot.lPIDs.end()) << "listed: its id was read while it ran";
    size_t row = static_cast<size_t>(at - snapshot.lPIDs.begin());
    EXPECT_EQ(snapshot.sProcNames[row], "");
    EXPECT_EQ(main_window::ProcessRows(snapshot)[row], std::to_string(pid) + " -  ()");
    auto own = std::find(snapshot.lPIDs.begin(), snapshot.lPIDs.end(),
                         static_cast<int32_t>(::GetCurrentProcessId()));
    ASSERT_NE(own, snapshot.lPIDs.end());
    EXPECT_EQ(snapshot.sProcNames[static_cast<size_t>(own - snapshot.lPIDs.begin())], kOwnName);
}

TEST_F(EndingHelper, EndsWhileSelectedAfterItsOpen) {
    auto form = OpenMainWindow();
    int helperRow = RowOf(*form, helper.Id());
    ASSERT_GE(helperRow, 0);
    EXPECT_EQ(form->Snapshot().sProcNames[static_cast<size_t>(helperRow)], kHelperName);
    // This program's modules on screen first; then the helper ends once opened.
    SelectRow(form->Control(MainControl::lstProcesses), RowOf(*form, ::GetCurrentProcessId()));
    ASSERT_GT(app::RowCount(form->Control(MainControl::lstModules)), 1);
    EndHelperBefore("GetProcessMemoryInfo");
    SelectRow(form->Control(MainControl::lstProcesses), helperRow);
    PumpMessages();
    std::string status = Text(*form, MainControl::txtStatus);
    std::printf("helper ended after its open: status \"%s\", modules \"%s\"\n", status.c_str(),
                Text(*form, MainControl::lblModules).c_str());
    HWND modules = form->Control(MainControl::lstModules);
    for (int row = 0; row < app::RowCount(modules); ++row) {
        EXPECT_EQ(app::RowText(modules, row).find(kOwnName), std::string::npos);
    }
    EXPECT_EQ(Text(*form, MainControl::lblModules), "No modules");
    EXPECT_EQ(app::RowCount(modules), 0);
    EXPECT_EQ(status.rfind("Error: ", 0), 0u) << status;

    // Its row again, now that the system has forgotten it: nothing opens.
    os.ClearHooks();
    ASSERT_TRUE(helper.WaitUntilForgotten());
    SelectRow(form->Control(MainControl::lstProcesses), helperRow);
    EXPECT_EQ(Text(*form, MainControl::lblModules), "No modules");
    EXPECT_EQ(Text(*form, MainControl::lblWorkingSet), "Working Set Size: ");
}

TEST_F(EndingHelper, EndsInTheMiddleOfItsMemoryMap) {
    testkit::HandToTheMemoryMap(helper.Id(), kHelperName);
    memory_map::frmMemMap map(os, ::GetModuleHandleA(nullptr));
    map.Create(nullptr);
    ::ShowWindow(map.Handle(), SW_SHOWNOACTIVATE);
    constexpr int kEndsAtQuery = 6;
    os.Before("VirtualQueryEx", [this](int number, DWORD) {
        if (number == kEndsAtQuery) {
            helper.End();
        }
    });
    map.cmdMap_Click();
    PumpMessages();
    std::string text = app::GetText(map.Control(MapControl::txtMemMap));
    size_t lines = text.empty() ? 0 : 1;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++lines;
    }
    std::printf("helper ended mid-walk: %zu lines, %s\n", lines,
                app::GetText(map.Control(MapControl::txtFree)).c_str());
    EXPECT_EQ(lines, static_cast<size_t>(kEndsAtQuery - 1)); // the failed query ends the walk
    EXPECT_EQ(app::GetText(map.Handle()), std::string("Memory Map: ") + kHelperName);

    // Mapped again, it is gone: the box says so.
    os.ClearHooks();
    ASSERT_TRUE(helper.WaitUntilForgotten());
    map.cmdMap_Click();
    ASSERT_EQ(os.messageBoxTexts.size(), 1u);
    EXPECT_EQ(os.messageBoxTexts[0], memory_map::kOpenFailedText);
}

} // namespace

} // namespace reliability
