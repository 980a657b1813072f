#include "memory_map/region_walk.h"

#include "system/bas_enum_procs.h"
#include "system/growing_enumeration.h"
#include "system/memory_names.h"
#include "system/name_query.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace memory_map {

namespace {

constexpr uint64_t kPageSize = 4096;

// The inspected process's module bases, asked for once per walk. Only a region
// that starts at a module base can have a module path, and every path query
// reads the other process's loader data, so the other regions are not asked
// about. When the module list cannot be had, every region is asked.
class ModuleBases {
public:
    ModuleBases(sys::Os& os, HANDLE process, sys::AddressWidth width) {
        auto reply = sys::EnumerateProcessModules(os, process, width);
        known_ = reply.succeeded;
        for (HMODULE module : reply.entries) {
            bases_.push_back(sys::Address::FromPointer(module, width).Unsigned());
        }
        std::sort(bases_.begin(), bases_.end());
    }
    bool MayStartModule(uint64_t start) const {
        return !known_ || std::binary_search(bases_.begin(), bases_.end(), start);
    }

private:
    bool known_ = false;
    std::vector<uint64_t> bases_;
};

void AppendModulePath(sys::Os& os, HANDLE process, sys::Address start, std::string& text) {
    // Looked up in the inspected process: its module, not the viewer's, is at this base.
    DWORD length = 0;
    std::string path = sys::QueryName([&](char* buffer, DWORD bufferSize) {
        length = os.GetModuleFileNameExA(process, static_cast<HMODULE>(start.Pointer()), buffer,
                                         bufferSize);
    });
    if (length != 0) {
        text += '\t';
        text += path;
    }
}

void AppendRegionLine(sys::Address start, const MEMORY_BASIC_INFORMATION& region, bool isFree,
                      std::string& text) {
    uint64_t size = region.RegionSize;
    if (!text.empty()) {
        text += "\r\n";
    }
    text += HexSpecialFormat(start);
    text += " - ";
    text += HexSpecialFormat(sys::Address(start.Unsigned() + size - 1, start.Width()));
    text += '\t';
    text += std::to_string(size / kPageSize);
    text += " pp\t";
    text += basEnumProcs::MemStateTypeText(static_cast<int32_t>(region.State));
    if (isFree) {
        return;
    }
    text += '\t';
    text += basEnumProcs::MemStateTypeText(static_cast<int32_t>(region.Type));
    text += '\t';
    text += basEnumProcs::MemProtectText(static_cast<int32_t>(region.Protect));
}

} // namespace

std::string HexSpecialFormat(sys::Address address) { return address.GroupedHex(); }

RegionMap WalkRegions(sys::Os& os, HANDLE process, MapKind kind) {
    RegionMap map;
    map.text.reserve(64 * 1024);
    sys::AddressWidth width = sys::ProcessAddressWidth(os, process);
    uint64_t bound = sys::WalkBound(os, width);
    std::optional<ModuleBases> modules;
    if (kind == MapKind::AllRegions) {
        modules.emplace(os, process, width);
    }
    MEMORY_BASIC_INFORMATION region{};
    uint64_t cursor = 0;
    do {
        // A failed query ends the walk: its record would be stale.
        if (os.VirtualQueryEx(process, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(cursor)),
                              &region, sizeof region) == 0 ||
            region.RegionSize == 0) {
            break;
        }
        ++map.regions;
        bool isFree = region.State == MEM_FREE;
        if (isFree) {
            map.freePages += static_cast<int64_t>(region.RegionSize / kPageSize);
        }
        sys::Address start(cursor, width);
        if (isFree || kind == MapKind::AllRegions) {
            AppendRegionLine(start, region, isFree, map.text);
        }
        if (!isFree && modules && cursor != 0 && modules->MayStartModule(cursor)) {
            AppendModulePath(os, process, start, map.text);
        }
        // Not in the address's width: a region running past the bound simply ends
        // the walk, and so does one that would wrap round to a lower address.
        uint64_t next = cursor + region.RegionSize;
        if (next < cursor) {
            break;
        }
        cursor = next;
    } while (cursor < bound);
    return map;
}

std::string FreePagesText(int64_t pages) { return std::to_string(pages) + " free pages"; }

} // namespace memory_map
