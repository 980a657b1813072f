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

constexpr uint64_t kWalkBound = 0x7FFEFFFF;
constexpr uint32_t kPageSize = 4096;

// The inspected process's module bases, asked for once per walk. Only a region
// that starts at a module base can have a module path, and every path query
// reads the other process's loader data, so the other regions are not asked
// about. When the module list cannot be had, every region is asked, as before.
class ModuleBases {
public:
    ModuleBases(sys::Os& os, HANDLE process) {
        auto reply = sys::EnumerateProcessModules(os, process);
        known_ = reply.succeeded;
        for (HMODULE module : reply.entries) {
            bases_.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module)));
        }
        std::sort(bases_.begin(), bases_.end());
    }
    bool MayStartModule(uint32_t start) const {
        return !known_ || std::binary_search(bases_.begin(), bases_.end(), start);
    }

private:
    bool known_ = false;
    std::vector<uint32_t> bases_;
};

void AppendModulePath(sys::Os& os, HANDLE process, uint32_t start, std::string& text) {
    // Looked up in the inspected process: its module, not the viewer's, is at this base.
    DWORD length = 0;
    std::string path = sys::QueryName([&](char* buffer, DWORD bufferSize) {
        length = os.GetModuleFileNameExA(
            process, reinterpret_cast<HMODULE>(static_cast<uintptr_t>(start)), buffer, bufferSize);
    });
    if (length != 0) {
        text += '\t';
        text += path;
    }
}

void AppendRegionLine(uint32_t start, const MEMORY_BASIC_INFORMATION& region, bool isFree,
                      std::string& text) {
    auto size = static_cast<uint32_t>(region.RegionSize);
    if (!text.empty()) {
        text += "\r\n";
    }
    text += HexSpecialFormat(static_cast<int32_t>(start));
    text += " - ";
    text += HexSpecialFormat(static_cast<int32_t>(start + size - 1));
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

std::string HexSpecialFormat(int32_t lIn) {
    std::string digits = basEnumProcs::Hex(static_cast<uint32_t>(lIn));
    if (digits.size() > 4) {
        digits.insert(digits.size() - 4, 1, ' ');
    }
    return digits;
}

RegionMap WalkRegions(sys::Os& os, HANDLE process, MapKind kind) {
    RegionMap map;
    map.text.reserve(64 * 1024);
    std::optional<ModuleBases> modules;
    if (kind == MapKind::AllRegions) {
        modules.emplace(os, process);
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
            map.freePages += static_cast<uint32_t>(region.RegionSize) / kPageSize;
        }
        auto start = static_cast<uint32_t>(cursor);
        if (isFree || kind == MapKind::AllRegions) {
            AppendRegionLine(start, region, isFree, map.text);
        }
        if (!isFree && modules && start != 0 && modules->MayStartModule(start)) {
            AppendModulePath(os, process, start, map.text);
        }
        // In 64 bits: a region running past 2 GB simply ends the walk.
        cursor += region.RegionSize;
    } while (cursor < kWalkBound);
    return map;
}

std::string FreePagesText(int64_t pages) { return std::to_string(pages) + " free pages"; }

} // namespace memory_map
