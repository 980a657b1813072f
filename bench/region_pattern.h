#pragma once
// What the helper processes lay out, and how the benchmark checks it before it
// measures anything: many modules (copies of one DLL), or many regions.

#include <windows.h>

#include <cstdint>
#include <string>

namespace bench {

inline constexpr SIZE_T kPageBytes = 4096;

// "bench_module_0007.dll": the names the build gives the copies, from 1.
std::string ModuleCopyName(int number);

// Loads copies 1..count from `folder`; returns how many loaded before the first failure.
int LoadModuleCopies(const std::string& folder, int count);

// How many of the process's modules are copies of the bench DLL (by base name).
int CountModuleCopies(HANDLE process);

struct RegionBlock {
    uintptr_t base = 0;
    SIZE_T bytes = 0;
};

// One reservation of `regions` pages in the calling process, below 2 GB (where the
// map walks), with every other page committed: each page is a region of its own,
// as its state differs from both neighbours'. base is 0 when it could not be made.
RegionBlock LayOutRegions(int regions);

struct RegionCheck {
    int regions = 0;          // regions found in the block
    bool alternating = false; // one page each, committed and reserved in turn
};

RegionCheck CheckRegions(HANDLE process, const RegionBlock& block);

} // namespace bench
