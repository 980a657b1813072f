#include "memory_map/region_walk.h"

#include "system/bas_enum_procs.h"
#include "system/memory_names.h"
#include "system/name_query.h"

namespace memory_map {

namespace {

constexpr uint64_t kWalkBound = 0x7FFEFFFF;
constexpr uint32_t kPageSize = 4096;

void AppendRegionLine(sys::Os& os, HANDLE process, uint32_t start,
                      const MEMORY_BASIC_INFORMATION& region, bool isFree, std::string& text) {
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
    if (start == 0) {
        return;
    }
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
        if (isFree || kind == MapKind::AllRegions) {
            AppendRegionLine(os, process, static_cast<uint32_t>(cursor), region, isFree, map.text);
        }
        // In 64 bits: a region running past 2 GB simply ends the walk.
        cursor += region.RegionSize;
    } while (cursor < kWalkBound);
    return map;
}

std::string FreePagesText(int64_t pages) { return std::to_string(pages) + " free pages"; }

} // namespace memory_map
