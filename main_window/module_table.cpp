#include "main_window/module_table.h"

#include "main_window/table_order.h"
#include "system/bas_enum_procs.h"
#include "system/growing_enumeration.h"
#include "system/loader_list.h"
#include "system/name_query.h"

namespace main_window {

namespace {

sys::LoadedModule ReadModule(sys::Os& os, HANDLE process, HMODULE module, sys::AddressWidth width) {
    sys::LoadedModule entry;
    entry.base = sys::Address(0, width);
    if (module == nullptr) {
        return entry;
    }
    entry.name = sys::QueryName(
        [&](char* buffer, DWORD size) { os.GetModuleBaseNameA(process, module, buffer, size); });
    entry.path = sys::QueryName(
        [&](char* buffer, DWORD size) { os.GetModuleFileNameExA(process, module, buffer, size); });
    // A failed query leaves the base and size 0.
    MODULEINFO info{};
    if (!os.GetModuleInformation(process, module, &info, sizeof info)) {
        info = MODULEINFO{};
    }
    entry.base = sys::Address::FromPointer(info.lpBaseOfDll, width);
    entry.size = info.SizeOfImage;
    return entry;
}

ModuleTable SortedTable(std::vector<sys::LoadedModule> entries, sys::AddressWidth width) {
    std::vector<sys::Address> bases;
    bases.reserve(entries.size());
    for (const sys::LoadedModule& entry : entries) {
        bases.push_back(entry.base); // 32 bits signed: bases at or above 2 GB come first
    }
    entries = Reordered(std::move(entries), ExchangeSortOrder(bases));
    ModuleTable table;
    table.width = width;
    table.lNumModules = static_cast<int32_t>(entries.size());
    for (sys::LoadedModule& entry : entries) {
        table.sModuleNames.push_back(std::move(entry.name));
        table.sModulePaths.push_back(std::move(entry.path));
        table.lModuleBases.push_back(entry.base);
        table.lModuleSizes.push_back(entry.size);
        table.lModuleBytes += entry.size;
    }
    return table;
}

} // namespace

// One walk of the loader's list; where it cannot be had, PSAPI.DLL's calls, which
// fail as the system says why.
ModuleListing ReadModules(sys::Os& os, HANDLE process) {
    ModuleListing listing;
    sys::AddressWidth width = sys::ProcessAddressWidth(os, process);
    std::optional<std::vector<sys::LoadedModule>> modules = sys::ReadLoaderList(os, process, width);
    if (!modules) {
        auto reply = sys::EnumerateProcessModules(os, process, width);
        if (!reply.succeeded) {
            listing.error = reply.error;
            return listing;
        }
        modules.emplace();
        modules->reserve(reply.entries.size());
        for (HMODULE module : reply.entries) {
            modules->push_back(ReadModule(os, process, module, width));
        }
    }
    listing.table = SortedTable(std::move(*modules), width);
    listing.succeeded = true;
    return listing;
}

std::string ModuleLineText(const std::string& name, sys::Address base, uint64_t size,
                           const sys::ThousandsFormat& format) {
    return name + " @ " + base.Hex() + ": " + sys::HexDigits(size) + " (" + format.Format(size) +
           ")";
}

std::vector<std::string> ModuleLines(const ModuleTable& table, const sys::ThousandsFormat& format) {
    std::vector<std::string> lines;
    lines.reserve(table.sModuleNames.size());
    for (size_t k = 0; k < table.sModuleNames.size(); ++k) {
        lines.push_back(ModuleLineText(table.sModuleNames[k], table.lModuleBases[k],
                                       table.lModuleSizes[k], format));
    }
    return lines;
}

std::string ModulesCaption(const ModuleTable& table, const sys::ThousandsFormat& format) {
    return std::to_string(table.lNumModules) + " Modules taking " +
           format.Format(static_cast<uint64_t>(table.lModuleBytes)) + " bytes";
}

} // namespace main_window
