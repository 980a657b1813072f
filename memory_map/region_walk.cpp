#include "memory_map/region_walk.h"

#include "system/bas_enum_procs.h"
#include "system/growing_enumeration.h"
#include "system/loader_list.h"
#include "system/memory_names.h"
#include "system/name_query.h"

#include <map>
#include <optional>
#include <vector>

namespace memory_map {

namespace {

constexpr uint64_t kPageSize = 4096;

// The inspected process's module paths by base, from one walk of its loader's list.
// Only a region that starts at a module base can have a module path. Where the list
// cannot be walked, each such region asks GetModuleFileNameExA, which reads the
// other process's loader data again; and where not even the module bases can be
// had, every region asks.
class ModulePaths {
public:
    ModulePaths(sys::Os& os, HANDLE process, sys::AddressWidth width) : os_(os), process_(process) {
        if (auto loaded = sys::ReadLoaderList(os, process, width)) {
            walked_ = known_ = true;
            for (sys::LoadedModule& module : *loaded) {
                paths_.emplace(module.base.Unsigned(), std::move(module.path));
            }
            return;
        }
        auto reply = sys::EnumerateProcessModules(os, process, width);
        known_ = reply.succeeded;
        for (HMODULE module : reply.entries) {
            paths_.emplace(sys::Address::FromPointer(module, width).Unsigned(), std::string());
        }
    }

    // The path of the module at `start`, or nothing.
    std::string PathAt(sys::Address start) const {
        auto found = paths_.find(start.Unsigned());
        if (known_ && found == paths_.end()) {
            return std::string();
        }
        if (walked_) {
            return found->second;
        }
        // Looked up in the inspected process: its module, not the viewer's, is at this base.
        DWORD length = 0;
        std::string path = sys::QueryName([&](char* buffer, DWORD bufferSize) {
            length = os_.GetModuleFileNameExA(process_, static_cast<HMODULE>(start.Pointer()),
                                              buffer, bufferSize);
        });
        return length != 0 ? path : std::string();
    }

private:
    sys::Os& os_;
    HANDLE process_;
    bool walked_ = false;
    bool known_ = false;
    std::map<uint64_t, std::string> paths_;
};

void AppendModulePath(const ModulePaths& modules, sys::Address start, std::string& text) {
    std::string path = modules.PathAt(start);
    if (!path.empty()) {
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
    std::optional<ModulePaths> modules;
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
        if (!isFree && modules && cursor != 0) {
            AppendModulePath(*modules, start, map.text);
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
