// The viewer's own work at scale: the real windows over the fake system.

#include "bench/rows.h"
#include "bench/scale_scenes.h"
#include "main_window/frm_enum_procs.h"
#include "main_window/process_snapshot.h"
#include "memory_map/frm_mem_map.h"
#include "memory_map/region_walk.h"
#include "tests/kit/messages.h"

#include <stdexcept>
#include <vector>

namespace bench {

using testkit::PumpMessages;

namespace {

constexpr DWORD kLonelyId = 8; // the one process of the module and region scenes

void Expect(bool holds, const std::string& what) {
    if (!holds) {
        throw std::runtime_error("scale check failed: " + what);
    }
}

int RunsFor(const Settings& settings, int n) {
    int runs = n >= 30000 ? 3 : n >= 5000 ? 5 : 9;
    return settings.quick ? std::min(runs, 3) : runs;
}

// One series: its rows, each after the first with its growth from the one before.
class Series {
public:
    Series(Table& table, std::string name) : table_(table), name_(std::move(name)) {}
    void Add(int n, const Summary& time) {
        ScalePoint point{static_cast<double>(n), time};
        table_.Add(
            ScaleRow(name_, point, points_.empty() ? nullptr : &points_.back(), kGrowthGoal));
        points_.push_back(point);
    }

private:
    Table& table_;
    std::string name_;
    std::vector<ScalePoint> points_;
};

Summary TimeSnapshotAndList(const Settings& settings, int n) {
    fake::FakeOs os;
    AddProcesses(os, n);
    main_window::frmEnumProcs form(os, ::GetModuleHandleA(nullptr));
    form.Show(); // its activation refreshes once
    PumpMessages();
    Expect(app::RowCount(form.Control(main_window::MainControl::lstProcesses)) == n,
           std::to_string(n) + " processes listed");
    return Summarise(TimeRuns(RunsFor(settings, n), 1, [&] {
        form.GetProcesses();
        form.FillProcessList();
    }));
}

Summary TimeModuleListing(const Settings& settings, int n) {
    fake::FakeOs os;
    os.processes[kLonelyId] = ProcessWithModules(n);
    main_window::frmEnumProcs form(os, ::GetModuleHandleA(nullptr));
    form.Show();
    PumpMessages();
    form.GetInfoForProcess(1);
    Expect(app::RowCount(form.Control(main_window::MainControl::lstModules)) == n + 1,
           std::to_string(n) + " modules listed");
    return Summarise(TimeRuns(RunsFor(settings, n), 1, [&] { form.GetInfoForProcess(1); }));
}

Summary TimeMap(const Settings& settings, int n) {
    fake::FakeOs os;
    os.processes[kLonelyId] = ProcessWithRegions(n);
    memory_map::frmMemMap map(os, ::GetModuleHandleA(nullptr));
    map.Create(nullptr);
    ::ShowWindow(map.Handle(), SW_SHOWNOACTIVATE);
    PumpMessages();
    map.MapMemory(kLonelyId);
    int lines = static_cast<int>(
        ::SendMessageA(map.Control(memory_map::MapControl::txtMemMap), EM_GETLINECOUNT, 0, 0));
    Expect(lines == n + 2,
           std::to_string(n) + " regions mapped, " + std::to_string(lines) + " lines");
    return Summarise(TimeRuns(RunsFor(settings, n), 1, [&] { map.MapMemory(kLonelyId); }));
}

} // namespace

void AddScaleRows(Table& table, const Settings& settings) {
    Series processes(table, "Fake: snapshot + list fill, processes");
    for (int n : {1000, 10000, 32767, 100000}) {
        processes.Add(n, TimeSnapshotAndList(settings, n));
    }
    Series modules(table, "Fake: selection with module listing, modules");
    for (int n : {1000, 10000}) {
        modules.Add(n, TimeModuleListing(settings, n));
    }
    Series regions(table, "Fake: &Map, regions");
    for (int n : {5000, 50000}) {
        regions.Add(n, TimeMap(settings, n));
    }
}

} // namespace bench
