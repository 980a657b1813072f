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

namespace bench {

namespace {

constexpr int kMinimumModules = 100;
constexpr int kMinimumRegions = 5000;

using testkit::PumpMessages;

int ListedRowOf(const main_window::frmEnumProcs& form, DWORD processId) {
    int row = testkit::RowOf(form, processId);
    if (row < 0) {
        throw std::runtime_error("process " + std::to_string(processId) +
                                 " is not in the viewer's list");
    }
    return row;
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

void CheckSelection(main_window::frmEnumProcs& form, int row, DWORD processId) {
    form.GetInfoForProcess(row + 1);
    int listed = app::RowCount(form.Control(main_window::MainControl::lstModules));
    int bare = BareSelection(processId);
    if (listed < kMinimumModules || listed != bare) {
        throw std::runtime_error("selection check: " + std::to_string(listed) +
                                 " modules listed, " + std::to_string(bare) + " enumerated");
    }
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

void AddLiveRows(Table& table, const Settings& settings, DWORD modulesHelperId,
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

    int row = ListedRowOf(form, modulesHelperId);
    CheckSelection(form, row, modulesHelperId);
    Paired selection = TimePaired(
        settings.runs, 3, [&] { form.GetInfoForProcess(row + 1); },
        [&] { BareSelection(modulesHelperId); });
    table.Add(ComparisonRow("Process selection, " + std::to_string(form.Modules().lNumModules) +
                                " modules",
                            selection, kRatioGoal));

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
}

} // namespace bench
