// The viewer on the real system (sys::WindowsOs) against the bare calls.

#include "bench/bare_calls.h"
#include "bench/rows.h"
#include "main_window/frm_enum_procs.h"
#include "memory_map/frm_mem_map.h"
#include "memory_map/region_walk.h"
#include "system/bas_enum_procs.h"
#include "system/windows_os.h"
#include "tests/kit/main_window_fixture.h"
#include "tests/kit/messages.h"

#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace bench {

namespace {

constexpr int kMinimumModules = 100;
constexpr int kMinimumRegions = 5000;
// The selection walks the loader's list once; PSAPI.DLL's calls walk it again for
// every module.
constexpr double kAgainstPsapiGoal = 0.1;
constexpr double kSelectionGrowthGoal = 12;

using testkit::PumpMessages;

int ListedRowOf(const main_window::frmEnumProcs& form, DWORD processId) {
    int row = testkit::RowOf(form, processId);
    if (row < 0) {
        throw std::runtime_error("process " + std::to_string(processId) +
                                 " is not in the viewer's list");
    }
    return row;
}

// Where a refresh's time goes: its steps one by one, in its order.
void AddRefreshSteps(Table& table, const Settings& settings, main_window::frmEnumProcs& form) {
    using Step = void (main_window::frmEnumProcs::*)();
    const std::pair<const char*, Step> steps[] = {
        {"ClearAll", &main_window::frmEnumProcs::ClearAll},
        {"GetDrivers", &main_window::frmEnumProcs::GetDrivers},
        {"GetProcesses", &main_window::frmEnumProcs::GetProcesses},
        {"FillProcessList", &main_window::frmEnumProcs::FillProcessList}};
    for (const auto& [name, step] : steps) {
        Summary time = Summarise(TimeRuns(settings.runs, 10, [&] { (form.*step)(); }));
        table.Add(InfoRow(std::string("Refresh step ") + name, time, "part of the row above"));
    }
}

void CheckRefresh(main_window::frmEnumProcs& form) {
    form.cmdRefresh_Click();
    int listed = app::RowCount(form.Control(main_window::MainControl::lstProcesses));
    int bare = BareRefresh();
    if (listed < 3 || listed != form.Snapshot().lNumProcesses || std::abs(listed - bare) > 1) {
        throw std::runtime_error("refresh check: the list has " + std::to_string(listed) +
                                 " rows, the bare enumeration " + std::to_string(bare) + " ids");
    }
}

// `bare`: the module count the system itself gives, one way or another.
void CheckSelection(main_window::frmEnumProcs& form, int row, int bare) {
    form.GetInfoForProcess(row + 1);
    int listed = app::RowCount(form.Control(main_window::MainControl::lstModules));
    if (listed < kMinimumModules || listed != bare) {
        throw std::runtime_error("selection check: " + std::to_string(listed) +
                                 " modules listed, " + std::to_string(bare) + " enumerated");
    }
}

// The selection against what PSAPI.DLL's calls cost for the same modules, and
// against one walk of the loader's list. Returns its time, for the scale row.
ScalePoint AddSelectionRows(Table& table, const Settings& settings, sys::Os& os,
                            main_window::frmEnumProcs& form, DWORD helper) {
    int row = ListedRowOf(form, helper);
    CheckSelection(form, row, BareSelection(helper));
    auto select = [&] { form.GetInfoForProcess(row + 1); };
    std::string modules = std::to_string(form.Modules().lNumModules) + " modules";
    Paired psapi = TimePaired(settings.runs, 3, select, [&] { BareSelection(helper); });
    table.Add(ComparisonRow("Process selection, " + modules + ", against PSAPI.DLL's calls", psapi,
                            kAgainstPsapiGoal));
    Paired walk = TimePaired(settings.runs, 3, select, [&] { BareLoaderWalk(os, helper); });
    table.Add(ComparisonRow("Process selection, " + modules + ", against a walk of its list", walk,
                            kRatioGoal));
    return {static_cast<double>(form.Modules().lNumModules), walk.viewer};
}

// How the selection grows with ten times as many modules.
void AddSelectionScaleRow(Table& table, const Settings& settings, sys::Os& os,
                          main_window::frmEnumProcs& form, DWORD helper, const ScalePoint& some) {
    form.cmdRefresh_Click();
    int row = ListedRowOf(form, helper);
    CheckSelection(form, row, BareLoaderWalk(os, helper));
    Paired walk = TimePaired(
        settings.runs, 1, [&] { form.GetInfoForProcess(row + 1); },
        [&] { BareLoaderWalk(os, helper); });
    std::string modules = std::to_string(form.Modules().lNumModules) + " modules";
    table.Add(ComparisonRow("Process selection, " + modules + ", against a walk of its list", walk,
                            kRatioGoal));
    ScalePoint many{static_cast<double>(form.Modules().lNumModules), walk.viewer};
    table.Add(ScaleRow("Process selection, modules:", many, &some, kSelectionGrowthGoal));
}

void CheckMap(sys::Os& os, DWORD processId) {
    sys::ProcessHandle process = basEnumProcs::OpenProcessQuery(os, processId);
    auto map = memory_map::WalkRegions(os, process.Get(), memory_map::MapKind::AllRegions);
    int bare = BareRegionWalk(processId);
    if (map.regions < kMinimumRegions || map.regions != bare) {
        throw std::runtime_error("map check: the walk met " + std::to_string(map.regions) +
                                 " regions, the bare walk " + std::to_string(bare));
    }
}

} // namespace

void AddLiveRows(Table& table, const Settings& settings, const ModuleHelpers& modules,
                 DWORD regionsHelperId) {
    sys::WindowsOs os;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    main_window::frmEnumProcs form(os, instance);
    form.Show();
    PumpMessages();
    CheckRefresh(form);
    Paired refresh = TimePaired(
        settings.runs, 10, [&] { form.cmdRefresh_Click(); }, [] { BareRefresh(); });
    table.Add(ComparisonRow("Refresh cycle, " + std::to_string(form.Snapshot().lNumProcesses) +
                                " processes",
                            refresh, kRatioGoal));
    AddRefreshSteps(table, settings, form);

    ScalePoint some = AddSelectionRows(table, settings, os, form, modules.some);

    CheckMap(os, regionsHelperId);
    memory_map::frmMemMap map(os, instance);
    map.Create(form.Handle());
    ::ShowWindow(map.Handle(), SW_SHOWNOACTIVATE);
    PumpMessages();
    auto regions = std::to_string(BareRegionWalk(regionsHelperId));
    Paired full = TimePaired(
        settings.runs, 1, [&] { map.MapMemory(static_cast<int32_t>(regionsHelperId)); },
        [&] { BareRegionWalk(regionsHelperId); });
    table.Add(ComparisonRow("&Map, " + regions + " regions", full, kRatioGoal));
    // The map box itself: the same text set once into the same edit control, on
    // top of the bare walk, is what any viewer of this map must pay.
    HWND box = map.Control(memory_map::MapControl::txtMemMap);
    std::string text = app::GetText(box);
    Paired withBox = TimePaired(
        settings.runs, 1, [&] { map.MapMemory(static_cast<int32_t>(regionsHelperId)); },
        [&] {
            BareRegionWalk(regionsHelperId);
            app::SetText(box, "");
            app::SetText(box, text);
        });
    table.Add(ComparisonRow("&Map, " + regions + " regions, against the walk and the text set",
                            withBox, kRatioGoal));
    Paired freeOnly = TimePaired(
        settings.runs, 1, [&] { map.MapFreeMemory(static_cast<int32_t>(regionsHelperId)); },
        [&] { BareRegionWalk(regionsHelperId); });
    table.Add(ComparisonRow("Map &Free Only, " + regions + " regions", freeOnly, kRatioGoal));
    AddSelectionScaleRow(table, settings, os, form, modules.startMany(), some);
}

} // namespace bench
