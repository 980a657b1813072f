#include "main_window/driver_table.h"

#include "main_window/table_order.h"
#include "system/bas_enum_procs.h"
#include "system/debug_privilege.h"

#include <algorithm>
#include <cstring>

namespace main_window {

namespace {

// Room for this many modules first; a Windows 11 machine loads about 200.
constexpr ULONG kFirstModuleRoom = 256;
// A system that still answers "too small" past this is not believed.
constexpr ULONG kLargestAnswer = 64u << 20;

// The module information, grown while the system answers that the buffer is too
// small: to the size it asks for, or twice the last where it asks for no more.
std::vector<char> QueryModuleInformation(sys::Os& os) {
    ULONG length = sys::kSystemModulesHeader + kFirstModuleRoom * sizeof(sys::SystemModule);
    for (;;) {
        std::vector<char> buffer(length, '\0');
        ULONG needed = 0;
        LONG status = os.NtQuerySystemInformation(sys::kSystemModuleInformation, buffer.data(),
                                                  length, &needed);
        if (status >= 0) {
            buffer.resize(std::min<ULONG>(needed != 0 ? needed : length, length));
            return buffer;
        }
        if (status != sys::kStatusInfoLengthMismatch || length >= kLargestAnswer) {
            basEnumProcs::RaiseWinError(os, static_cast<int32_t>(os.RtlNtStatusToDosError(status)));
        }
        length = needed > length ? std::min(needed, kLargestAnswer)
                                 : std::min(length * 2, kLargestAnswer);
    }
}

// The modules the answer holds: no more than its count, nor than its bytes carry.
std::vector<sys::SystemModule> ModulesOf(const std::vector<char>& answer) {
    std::vector<sys::SystemModule> modules;
    if (answer.size() < sys::kSystemModulesHeader) {
        return modules;
    }
    ULONG count = 0;
    std::memcpy(&count, answer.data(), sizeof count);
    size_t fits = (answer.size() - sys::kSystemModulesHeader) / sizeof(sys::SystemModule);
    modules.resize(std::min<size_t>(count, fits));
    if (!modules.empty()) {
        std::memcpy(modules.data(), answer.data() + sys::kSystemModulesHeader,
                    modules.size() * sizeof(sys::SystemModule));
    }
    return modules;
}

} // namespace

DriverTable ReadDrivers(sys::Os& os) {
    std::vector<sys::SystemModule> modules;
    {
        sys::DebugPrivilegeScope privilege(os);
        modules = ModulesOf(QueryModuleInformation(os));
    }
    // Unsigned, so that drivers at or above 2 GB follow the others in both
    // editions; hidden (all equal) addresses keep the system's order.
    std::vector<uintptr_t> bases;
    for (const sys::SystemModule& module : modules) {
        bases.push_back(reinterpret_cast<uintptr_t>(module.imageBase));
    }
    modules = Reordered(std::move(modules), ExchangeSortOrder(bases));
    DriverTable table;
    table.lNumDrivers = static_cast<int32_t>(modules.size());
    for (const sys::SystemModule& module : modules) {
        std::string path = basEnumProcs::StripNul(module.fullPathName, sizeof module.fullPathName);
        table.uDriverBases.push_back(
            sys::Address::FromPointer(module.imageBase, sys::kEditionWidth));
        table.sDriverNames.push_back(
            path.substr(std::min<size_t>(module.offsetToFileName, path.size())));
        table.sDriverPaths.push_back(std::move(path));
    }
    table.addressesHidden =
        !modules.empty() && std::all_of(modules.begin(), modules.end(), [](const auto& module) {
            return module.imageBase == nullptr;
        });
    return table;
}

std::string DriverLineText(const std::string& name, sys::Address base) {
    return name + " @ " + base.FullHex();
}

std::vector<std::string> DriverLines(const DriverTable& table) {
    std::vector<std::string> lines;
    lines.reserve(table.sDriverNames.size());
    for (size_t k = 0; k < table.sDriverNames.size(); ++k) {
        lines.push_back(table.addressesHidden
                            ? table.sDriverNames[k] + " @ hidden"
                            : DriverLineText(table.sDriverNames[k], table.uDriverBases[k]));
    }
    return lines;
}

std::string DriversCaption(int32_t count) { return std::to_string(count) + " Drivers"; }

} // namespace main_window
