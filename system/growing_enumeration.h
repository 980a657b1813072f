#pragma once
// The enumeration pattern shared by processes, modules and drivers: start with
// 25 slots, call, and while the reply fills the buffer (it may have been cut
// short) double the slots and call again.

#include "system/address.h"
#include "system/os.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace sys {

template <typename Entry> struct Enumeration {
    bool succeeded = false;
    DWORD error = 0;            // last error of the failed call
    std::vector<Entry> entries; // bytes reported / entry size, in the system's order
};

// `call(buffer, bytes, &bytesReported)` makes one system call and returns its
// result; the last error is read right after a call that failed.
template <typename Entry, typename Call>
Enumeration<Entry> EnumerateGrowing(Os& os, Call call, size_t firstSlots = 25) {
    Enumeration<Entry> result;
    for (size_t slots = firstSlots;; slots *= 2) {
        std::vector<Entry> buffer(slots, Entry{});
        DWORD capacity = static_cast<DWORD>(slots * sizeof(Entry));
        DWORD reported = 0;
        if (!call(buffer.data(), capacity, &reported)) {
            result.error = os.GetLastError();
            return result;
        }
        if (reported < capacity) {
            buffer.resize(std::min<size_t>(reported / sizeof(Entry), slots));
            result.entries = std::move(buffer);
            result.succeeded = true;
            return result;
        }
    }
}

// A process's module handles, in the system's order, of the width its addresses
// have (ProcessAddressWidth). A plain enumeration gives a 64-bit program the
// 64-bit modules of a 32-bit process (the WOW64 layer): its own 32-bit ones
// must be asked for by name.
inline Enumeration<HMODULE> EnumerateProcessModules(Os& os, HANDLE process, AddressWidth width) {
    constexpr DWORD kThirtyTwoBitModules = 0x01; // LIST_MODULES_32BIT
    bool onlyThirtyTwo = width != kEditionWidth;
    return EnumerateGrowing<HMODULE>(os, [&](HMODULE* modules, DWORD bytes, DWORD* needed) {
        if (onlyThirtyTwo) {
            if (os.EnumProcessModulesEx(process, modules, bytes, needed, kThirtyTwoBitModules)) {
                return true;
            }
            if (os.GetLastError() != ERROR_PROC_NOT_FOUND) {
                return false;
            }
        }
        return os.EnumProcessModules(process, modules, bytes, needed) != FALSE;
    });
}

} // namespace sys
