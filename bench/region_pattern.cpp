#include "bench/region_pattern.h"

#include <psapi.h>

#include <cstdio>
#include <vector>

namespace bench {

namespace {

constexpr uintptr_t kLowestBase = 0x10000000; // clear of the heaps and stacks near 0
constexpr uintptr_t kWalkBound = 0x7FFEFFFF;
constexpr uintptr_t kGranularity = 0x10000;

// A free stretch of `bytes` below the walk bound, at an allocation boundary.
uintptr_t FindFreeBelowTwoGigabytes(SIZE_T bytes) {
    MEMORY_BASIC_INFORMATION region{};
    uintptr_t cursor = kLowestBase;
    while (cursor < kWalkBound &&
           ::VirtualQuery(reinterpret_cast<LPCVOID>(cursor), &region, sizeof region) != 0) {
        uintptr_t start = reinterpret_cast<uintptr_t>(region.BaseAddress);
        uintptr_t end = start + region.RegionSize;
        uintptr_t aligned = (start + kGranularity - 1) & ~(kGranularity - 1);
        if (region.State == MEM_FREE && aligned + bytes <= end && aligned + bytes < kWalkBound) {
            return aligned;
        }
        cursor = end;
    }
    return 0;
}

bool CommitEveryOtherPage(uintptr_t base, int pages) {
    for (int page = 0; page < pages; page += 2) {
        auto at = reinterpret_cast<void*>(base + static_cast<uintptr_t>(page) * kPageBytes);
        if (::VirtualAlloc(at, kPageBytes, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string ModuleCopyName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "bench_module_%04d.dll", number);
    return name;
}

int LoadModuleCopies(const std::string& folder, int count) {
    for (int number = 1; number <= count; ++number) {
        std::string path = folder + "\\" + ModuleCopyName(number);
        // Never freed: the helper keeps them until it ends.
        if (::LoadLibraryA(path.c_str()) == nullptr) {
            return number - 1;
        }
    }
    return count;
}

int CountModuleCopies(HANDLE process) {
    std::vector<HMODULE> modules(256);
    DWORD needed = 0;
    while (::EnumProcessModules(process, modules.data(),
                                static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed) &&
           needed > modules.size() * sizeof(HMODULE)) {
        modules.resize(needed / sizeof(HMODULE));
    }
    modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
    int copies = 0;
    for (HMODULE module : modules) {
        char name[MAX_PATH] = {};
        ::GetModuleBaseNameA(process, module, name, MAX_PATH);
        copies += std::string(name).rfind("bench_module_", 0) == 0 ? 1 : 0;
    }
    return copies;
}

RegionBlock LayOutRegions(int regions) {
    SIZE_T bytes = static_cast<SIZE_T>(regions) * kPageBytes;
    uintptr_t base = FindFreeBelowTwoGigabytes(bytes);
    if (base == 0 || ::VirtualAlloc(reinterpret_cast<void*>(base), bytes, MEM_RESERVE,
                                    PAGE_READWRITE) == nullptr) {
        return {};
    }
    if (!CommitEveryOtherPage(base, regions)) {
        ::VirtualFree(reinterpret_cast<void*>(base), 0, MEM_RELEASE);
        return {};
    }
    return {base, bytes};
}

RegionCheck CheckRegions(HANDLE process, const RegionBlock& block) {
    RegionCheck check;
    check.alternating = block.bytes > 0;
    uintptr_t cursor = block.base;
    MEMORY_BASIC_INFORMATION region{};
    while (cursor < block.base + block.bytes &&
           ::VirtualQueryEx(process, reinterpret_cast<LPCVOID>(cursor), &region, sizeof region) !=
               0) {
        DWORD expected = check.regions % 2 == 0 ? MEM_COMMIT : MEM_RESERVE;
        if (region.RegionSize != kPageBytes || region.State != expected) {
            check.alternating = false;
        }
        ++check.regions;
        cursor = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    }
    return check;
}

} // namespace bench
