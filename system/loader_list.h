#pragma once
// A process's modules read straight from its loader's in-load-order list, in one
// pass: the PEB, the loader data, then each entry and its full name once. The
// PSAPI.DLL calls walk the same list again from its head for every module and
// every question about it; this gives the same names, paths, bases and sizes in
// about two reads a module.

#include "system/address.h"
#include "system/os.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sys {

// The walk's bound: a list that does not end within it is taken as broken.
inline constexpr size_t kMostLoaderEntries = 32767;

// Names in the program's code page, cut where the A calls' buffer of 260 bytes cuts
// them, keeping whole characters.
struct LoadedModule {
    std::string name; // as GetModuleBaseNameA gives it
    std::string path; // as GetModuleFileNameExA gives it
    Address base;
    uint32_t size = 0;
};

// The process's modules in load order, the order EnumProcessModules gives, in the
// layout of `width` (ProcessAddressWidth): the 32-bit list of a WOW64 process
// from the 64-bit edition. Nothing when the list cannot be read whole: no loader
// data or not yet initialised, a read that fails, links that do not lead on, or
// more than kMostLoaderEntries entries; and for a 64-bit process seen from the
// 32-bit edition, whose list it cannot reach. The caller then asks PSAPI.DLL.
std::optional<std::vector<LoadedModule>> ReadLoaderList(Os& os, HANDLE process, AddressWidth width);

} // namespace sys
