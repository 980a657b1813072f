#pragma once
// The parts of the benchmark, each adding its rows to the table.

#include "bench/report.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace bench {

struct Settings {
    int runs = 11;      // samples per row on the real system
    bool quick = false; // fewer runs and sizes, to try the benchmark out
    std::string viewerPath;
    uint64_t productExeBytes = 0; // the stripped exe of this edition; 0 when not given
};

inline constexpr double kRatioGoal = 1.15;
inline constexpr double kGrowthGoal = 15;
inline constexpr double kStartupGoalMs = 150;
inline constexpr uint64_t kExeGoalBytes = 1024 * 1024;

// The helper with about 126 modules, and how to start the one with about 1,206: only
// for the last rows, as so many modules slow the whole Wine session down.
struct ModuleHelpers {
    DWORD some = 0;
    std::function<DWORD()> startMany;
};

// Refresh, selection and both maps through the real windows over sys::WindowsOs,
// each against the bare calls. The helpers must be ready and checked.
void AddLiveRows(Table& table, const Settings& settings, const ModuleHelpers& modules,
                 DWORD regionsHelperId);

// Snapshot and list, modules and map through the real windows over the fake system.
void AddScaleRows(Table& table, const Settings& settings);

// Filling one list box with and without redraw off and LB_INITSTORAGE.
void AddListFillRows(Table& table, const Settings& settings);

// The real velmora.exe from process start to a painted process list, and the exe's size.
void AddStartupRows(Table& table, const Settings& settings);

} // namespace bench
