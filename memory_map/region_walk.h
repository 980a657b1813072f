#pragma once
// The walk over another process's address space, one region at a time, and the
// text line each region becomes in the memory map: the lower 2 GB of a 32-bit
// process, the whole user address space of a 64-bit one.

#include "system/address.h"
#include "system/os.h"

#include <cstdint>
#include <string>

namespace memory_map {

// Upper-case hexadecimal without leading zeros, a blank before every group of
// four digits from the right: 0x10000 gives "1 0000", 0x80000000 "8000 0000",
// 0x140000000 "1 4000 0000".
std::string HexSpecialFormat(sys::Address address);

struct RegionMap {
    std::string text;      // lines separated by CR LF, none before the first or after the last
    int64_t freePages = 0; // free pages below the bound
    int regions = 0;       // regions queried
};

enum class MapKind { AllRegions, FreeOnly };

// Walks from address 0 until a region reaches the bound (0x7FFEFFFF for a 32-bit
// process, the highest application address for a 64-bit one) or a query fails.
// A full map names the module of every non-free region above 0 that starts at a
// module base of the inspected process.
RegionMap WalkRegions(sys::Os& os, HANDLE process, MapKind kind);

// "N free pages"
std::string FreePagesText(int64_t pages);

} // namespace memory_map
