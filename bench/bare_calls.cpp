#include "bench/bare_calls.h"

#include "system/loader_list.h"
#include "system/os.h"
#include "tests/kit/handles.h"

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bench {

namespace {

constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr size_t kFirstSlots = 25;

// The viewer's enumeration: 25 slots, doubled while the reply fills the buffer.
template <typename Entry, typename Call> std::vector<Entry> Grown(Call call) {
    for (size_t slots = kFirstSlots;; slots *= 2) {
        std::vector<Entry> entries(slots);
        DWORD capacity = static_cast<DWORD>(slots * sizeof(Entry));
        DWORD reported = 0;
        if (!call(entries.data(), capacity, &reported)) {
            return {};
        }
        if (reported < capacity) {
            entries.resize(reported / sizeof(Entry));
            return entries;
        }
    }
}

void DescribeProcess(DWORD processId) {
    testkit::UniqueHandle owner(::OpenProcess(kQueryAccess, FALSE, processId));
    HANDLE process = owner.Get();
    if (process == nullptr) {
        return;
    }
    HMODULE main = nullptr;
    DWORD needed = 0;
    ::EnumProcessModules(process, &main, sizeof main, &needed);
    if (main != nullptr) {
        char name[260];
        char path[260];
        ::GetModuleBaseNameA(process, main, name, sizeof name);
        ::GetModuleFileNameExA(process, main, path, sizeof path);
        ::GetPriorityClass(process);
    }
}

// The drivers in one query of the system's module information, grown as the
// system asks.
void BareModuleInformation() {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    ULONG length = 64 * 1024;
    for (;;) {
        std::vector<char> buffer(length);
        ULONG needed = 0;
        if (query(sys::kSystemModuleInformation, buffer.data(), length, &needed) !=
            sys::kStatusInfoLengthMismatch) {
            return;
        }
        length = std::max(needed, length * 2);
    }
}

} // namespace

int BareRefresh() {
    BareModuleInformation();
    std::vector<DWORD> ids = Grown<DWORD>([](DWORD* buffer, DWORD bytes, DWORD* written) {
        return ::EnumProcesses(buffer, bytes, written) != FALSE;
    });
    for (DWORD id : ids) {
        DescribeProcess(id);
    }
    return static_cast<int>(ids.size());
}

namespace {

// What a selection asks of the process before its modules: the open and the counters.
// `listModules(process)` returns the module count.
template <typename List> int SelectBare(DWORD processId, List listModules) {
    testkit::UniqueHandle owner(::OpenProcess(kQueryAccess, FALSE, processId));
    if (!owner) {
        return 0;
    }
    PROCESS_MEMORY_COUNTERS counters{};
    ::GetProcessMemoryInfo(owner.Get(), &counters, sizeof counters);
    return listModules(owner.Get());
}

} // namespace

int BareSelection(DWORD processId) {
    return SelectBare(processId, [](HANDLE process) {
        std::vector<HMODULE> modules =
            Grown<HMODULE>([process](HMODULE* buffer, DWORD bytes, DWORD* needed) {
                return ::EnumProcessModules(process, buffer, bytes, needed) != FALSE;
            });
        for (HMODULE module : modules) {
            char name[260];
            char path[260];
            MODULEINFO info{};
            ::GetModuleBaseNameA(process, module, name, sizeof name);
            ::GetModuleFileNameExA(process, module, path, sizeof path);
            ::GetModuleInformation(process, module, &info, sizeof info);
        }
        return static_cast<int>(modules.size());
    });
}

int BareLoaderWalk(sys::Os& os, DWORD processId) {
    return SelectBare(processId, [&os](HANDLE process) {
        auto modules = sys::ReadLoaderList(os, process, sys::ProcessAddressWidth(os, process));
        return modules ? static_cast<int>(modules->size()) : 0;
    });
}

int BareRegionWalk(DWORD processId) {
    testkit::UniqueHandle owner(::OpenProcess(kQueryAccess, FALSE, processId));
    HANDLE process = owner.Get();
    if (process == nullptr) {
        return 0;
    }
    // The viewer's bound: 2 GB in 32 bits, the whole user address space in 64.
    uint64_t bound = 0x7FFEFFFF;
    if (sizeof(void*) == 8) {
        SYSTEM_INFO system{};
        ::GetSystemInfo(&system);
        bound = reinterpret_cast<uintptr_t>(system.lpMaximumApplicationAddress);
    }
    int regions = 0;
    MEMORY_BASIC_INFORMATION region{};
    uint64_t cursor = 0;
    do {
        if (::VirtualQueryEx(process, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(cursor)),
                             &region, sizeof region) == 0 ||
            region.RegionSize == 0) {
            break;
        }
        ++regions;
        cursor += region.RegionSize;
    } while (cursor < bound);
    return regions;
}

} // namespace bench
