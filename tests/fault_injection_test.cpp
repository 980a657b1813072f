// Every operation a user can start, run once per system call it makes with just
// that call failing: the program stays up, shows nothing of another process,
// and closes every process handle it opened.

#include "main_window/frm_enum_procs.h"
#include "memory_map/frm_mem_map.h"
#include "system/bas_enum_procs.h"
#include "tests/fake_os.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using main_window::frmEnumProcs;
using main_window::MainControl;

namespace {

void Drain() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            ::DispatchMessageA(&message);
        }
    }
}

bool QuitPosted() {
    MSG message;
    return ::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

void Script(fake::FakeOs& os) {
    fake::Process a = fake::MakeProcess("alpha.exe", "C:\\alpha.exe");
    a.modules.push_back({0x10000000, 0x5000, "alphalib.dll", "C:\\alphalib.dll"});
    a.counters.WorkingSetSize = 111111;
    a.regions = {fake::Region(0, 0x10000, MEM_FREE),
                 fake::Region(0x10000, 0x1000, MEM_COMMIT, MEM_PRIVATE, PAGE_READWRITE),
                 fake::Region(0x11000, 0x7FFDF000, MEM_FREE)};
    fake::Process b = fake::MakeProcess("beta.exe", "C:\\beta.exe");
    b.counters.WorkingSetSize = 222222;
    os.processes[8] = a;
    os.processes[12] = b;
    os.drivers = {{0x80100000u, "disk.sys", "\\d\\disk.sys"}};
    os.versionFiles["C:\\beta.exe"] = fake::VersionFile{};
}

// One user operation on a fresh main window over a fresh fake.
struct Operation {
    const char* name;
    std::function<void(frmEnumProcs&)> prepare; // brings the window to where the operation starts
    std::function<void(frmEnumProcs&)> run;
};

void Post(frmEnumProcs& form, MainControl control, int notification) {
    ::SendMessageA(form.Handle(), WM_COMMAND,
                   MAKEWPARAM(main_window::ControlId(control), notification),
                   reinterpret_cast<LPARAM>(form.Control(control)));
}

void Select(frmEnumProcs& form, MainControl list, int row) {
    ::SendMessageA(form.Control(list), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    Post(form, list, LBN_SELCHANGE);
}

void InMemoryMap(fake::FakeOs& os, const std::function<void(memory_map::frmMemMap&)>& action) {
    basEnumProcs::lMemMapProcessID = 8;
    basEnumProcs::sMemMapProcessName = "alpha.exe";
    memory_map::frmMemMap map(os, ::GetModuleHandleA(nullptr));
    map.Create(nullptr);
    action(map);
}

std::vector<Operation> Operations(fake::FakeOs& os) {
    auto none = [](frmEnumProcs&) {};
    auto alphaSelected = [](frmEnumProcs& form) { Select(form, MainControl::lstProcesses, 0); };
    return {
        {"refresh", none,
         [](frmEnumProcs& form) { Post(form, MainControl::cmdRefresh, BN_CLICKED); }},
        // Alpha first, then beta with the failure: nothing of alpha may stay.
        {"process selection", alphaSelected,
         [](frmEnumProcs& form) { Select(form, MainControl::lstProcesses, 1); }},
        {"module selection", alphaSelected,
         [](frmEnumProcs& form) { Select(form, MainControl::lstModules, 0); }},
        {"driver selection", none,
         [](frmEnumProcs& form) { Select(form, MainControl::lstDrivers, 0); }},
        {"map", none,
         [&os](frmEnumProcs&) {
             InMemoryMap(os, [](memory_map::frmMemMap& m) { m.cmdMap_Click(); });
         }},
        {"map free only", none,
         [&os](frmEnumProcs&) {
             InMemoryMap(os, [](memory_map::frmMemMap& m) { m.cmdMapFree_Click(); });
         }},
        {"to clipboard", none,
         [&os](frmEnumProcs&) {
             InMemoryMap(os, [](memory_map::frmMemMap& m) { m.cmdToClip_Click(); });
         }},
        {"exit", none, [](frmEnumProcs& form) { ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0); }},
    };
}

struct RunResult {
    std::map<std::string, int> calls;
    bool reported = false; // the uncaught-error box
};

// Runs operation `index` once, with `call` number `number` failing (none when empty).
RunResult RunOnce(size_t index, const std::string& call, int number) {
    fake::FakeOs os;
    Script(os);
    auto form = std::make_unique<frmEnumProcs>(os, ::GetModuleHandleA(nullptr));
    form->Show(SW_SHOWNOACTIVATE);
    Drain();
    form->cmdRefresh_Click();
    Operation operation = Operations(os)[index];
    operation.prepare(*form);
    os.ResetCounts();
    if (!call.empty()) {
        os.Fail(call, ERROR_ACCESS_DENIED, number);
    }
    operation.run(*form);
    Drain();
    RunResult run{os.calls, false};
    for (const fake::MessageBoxCall& box : os.messageBoxes) {
        run.reported = run.reported || box.text.rfind("Run-time error ", 0) == 0;
    }
    std::string where =
        std::string(operation.name) + " with " + call + " #" + std::to_string(number);
    EXPECT_EQ(os.OpenHandles(), 0) << where;
    EXPECT_EQ(os.badCloses, 0) << where;
    for (DWORD access : os.openAccessMasks) {
        EXPECT_EQ(access, 0x410u) << where;
    }
    // Only the refresh enumerations raise; they also run when a closed memory map
    // window hands the activation back to the main window.
    bool raisedOnPurpose = call == "EnumProcesses" || call == "EnumDeviceDrivers";
    EXPECT_EQ(run.reported, raisedOnPurpose) << where;
    if (operation.name == std::string("process selection") && form->Handle() != nullptr) {
        // Nothing of alpha, selected before, stays under beta's selection.
        for (int row = 0; row < app::RowCount(form->Control(MainControl::lstModules)); ++row) {
            EXPECT_EQ(app::RowText(form->Control(MainControl::lstModules), row).find("alpha"),
                      std::string::npos)
                << where;
        }
        EXPECT_EQ(app::GetText(form->Control(MainControl::lblWorkingSet)).find("111,111"),
                  std::string::npos)
            << where;
    }
    form.reset();
    Drain();
    QuitPosted();
    return run;
}

TEST(FaultInjection, EveryOperationSurvivesEachOfItsCallsFailing) {
    fake::FakeOs counting;
    size_t operations = Operations(counting).size();
    int pairs = 0;
    for (size_t index = 0; index < operations; ++index) {
        RunResult clean = RunOnce(index, "", 0);
        for (const auto& [call, count] : clean.calls) {
            for (int number = 1; number <= count; ++number) {
                RunOnce(index, call, number);
                ++pairs;
            }
            RunOnce(index, call, 0); // every call of that name failing
        }
    }
    std::printf("fault injection: %d (operation, call) pairs\n", pairs);
    EXPECT_GT(pairs, 50); // the recording saw the operations' calls
}

} // namespace
