#include "main_window/driver_table.h"

#include "system/bas_enum_procs.h"
#include "system/growing_enumeration.h"
#include "system/name_query.h"

#include <algorithm>
#include <cstdio>

namespace main_window {

DriverTable ReadDrivers(sys::Os& os) {
    auto reply = sys::EnumerateGrowing<LPVOID>(os, [&](LPVOID* bases, DWORD bytes, DWORD* needed) {
        return os.EnumDeviceDrivers(bases, bytes, needed) != FALSE;
    });
    if (!reply.succeeded) {
        basEnumProcs::RaiseWinError(os, static_cast<int32_t>(reply.error));
    }
    std::vector<uint32_t> unsignedBases;
    unsignedBases.reserve(reply.entries.size());
    for (LPVOID base : reply.entries) {
        unsignedBases.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base)));
    }
    // Equal addresses are equal entries (names are asked for by address), so
    // any sort gives the listed order.
    std::sort(unsignedBases.begin(), unsignedBases.end());
    DriverTable table;
    table.uDriverBases = std::move(unsignedBases);
    table.lNumDrivers = static_cast<int32_t>(table.uDriverBases.size());
    for (uint32_t base : table.uDriverBases) {
        table.lDriverBases.push_back(static_cast<int32_t>(base));
        auto address = reinterpret_cast<LPVOID>(static_cast<uintptr_t>(base));
        table.sDriverNames.push_back(sys::QueryName(
            [&](char* buffer, DWORD size) { os.GetDeviceDriverBaseNameA(address, buffer, size); }));
        table.sDriverPaths.push_back(sys::QueryName(
            [&](char* buffer, DWORD size) { os.GetDeviceDriverFileNameA(address, buffer, size); }));
    }
    return table;
}

std::string DriverLineText(const std::string& name, uint32_t base) {
    char address[10];
    std::snprintf(address, sizeof address, "%04X %04X", static_cast<unsigned>(base >> 16),
                  static_cast<unsigned>(base & 0xFFFF));
    return name + " @ " + address;
}

std::vector<std::string> DriverLines(const DriverTable& table) {
    std::vector<std::string> lines;
    lines.reserve(table.sDriverNames.size());
    for (size_t k = 0; k < table.sDriverNames.size(); ++k) {
        lines.push_back(DriverLineText(table.sDriverNames[k], table.uDriverBases[k]));
    }
    return lines;
}

std::string DriversCaption(int32_t count) { return std::to_string(count) + " Drivers"; }

} // namespace main_window
