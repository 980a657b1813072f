#include "main_window/driver_table.h"

#include "system/bas_enum_procs.h"
#include "system/growing_enumeration.h"
#include "system/name_query.h"

#include <algorithm>

namespace main_window {

DriverTable ReadDrivers(sys::Os& os) {
    auto reply = sys::EnumerateGrowing<LPVOID>(os, [&](LPVOID* bases, DWORD bytes, DWORD* needed) {
        return os.EnumDeviceDrivers(bases, bytes, needed) != FALSE;
    });
    if (!reply.succeeded) {
        basEnumProcs::RaiseWinError(os, static_cast<int32_t>(reply.error));
    }
    // Equal addresses are equal entries (names are asked for by address), so
    // any sort gives the listed order. Unsigned, so that drivers at or above
    // 2 GB follow the others in both editions.
    std::vector<LPVOID> bases = std::move(reply.entries);
    std::sort(bases.begin(), bases.end(), [](LPVOID a, LPVOID b) {
        return reinterpret_cast<uintptr_t>(a) < reinterpret_cast<uintptr_t>(b);
    });
    DriverTable table;
    table.lNumDrivers = static_cast<int32_t>(bases.size());
    for (LPVOID address : bases) {
        table.uDriverBases.push_back(sys::Address::FromPointer(address, sys::kEditionWidth));
        table.sDriverNames.push_back(sys::QueryName(
            [&](char* buffer, DWORD size) { os.GetDeviceDriverBaseNameA(address, buffer, size); }));
        table.sDriverPaths.push_back(sys::QueryName(
            [&](char* buffer, DWORD size) { os.GetDeviceDriverFileNameA(address, buffer, size); }));
    }
    return table;
}

std::string DriverLineText(const std::string& name, sys::Address base) {
    return name + " @ " + base.FullHex();
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
