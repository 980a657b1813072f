#include "main_window/module_table.h"

#include "main_window/table_order.h"
#include "system/bas_enum_procs.h"
#include "system/growing_enumeration.h"
#include "system/name_query.h"

namespace main_window {

namespace {

struct ModuleEntry {
    std::string name;
    std::string path;
    int32_t base = 0;
    int32_t size = 0;
};

ModuleEntry ReadModule(sys::Os& os, HANDLE process, HMODULE module) {
    ModuleEntry entry;
    if (module == nullptr) {
        return entry;
    }
    entry.name = sys::QueryName(
        [&](char* buffer, DWORD size) { os.GetModuleBaseNameA(process, module, buffer, size); });
    entry.path = sys::QueryName(
        [&](char* buffer, DWORD size) { os.GetModuleFileNameExA(process, module, buffer, size); });
    // Cleared for every module: a failed query must not repeat the previous one's data.
    MODULEINFO info{};
    if (!os.GetModuleInformation(process, module, &info, sizeof info)) {
        info = MODULEINFO{};
    }
    entry.base = static_cast<int32_t>(reinterpret_cast<uintptr_t>(info.lpBaseOfDll));
    entry.size = static_cast<int32_t>(info.SizeOfImage);
    return entry;
}

ModuleTable SortedTable(std::vector<ModuleEntry> entries) {
    std::vector<int32_t> bases;
    bases.reserve(entries.size());
    for (const ModuleEntry& entry : entries) {
        bases.push_back(entry.base); // signed: bases at or above 2 GB come first
    }
    entries = Reordered(std::move(entries), ExchangeSortOrder(bases));
    ModuleTable table;
    table.lNumModules = static_cast<int32_t>(entries.size());
    for (ModuleEntry& entry : entries) {
        table.sModuleNames.push_back(std::move(entry.name));
        table.sModulePaths.push_back(std::move(entry.path));
        table.lModuleBases.push_back(entry.base);
        table.lModuleSizes.push_back(entry.size);
        table.lModuleBytes += static_cast<uint32_t>(entry.size);
    }
    return table;
}

} // namespace

ModuleListing ReadModules(sys::Os& os, HANDLE process) {
    ModuleListing listing;
    auto reply = sys::EnumerateProcessModules(os, process);
    if (!reply.succeeded) {
        listing.error = reply.error;
        return listing;
    }
    std::vector<ModuleEntry> entries;
    entries.reserve(reply.entries.size());
    for (HMODULE module : reply.entries) {
        entries.push_back(ReadModule(os, process, module));
    }
    listing.table = SortedTable(std::move(entries));
    listing.succeeded = true;
    return listing;
}

std::string ModuleLineText(const std::string& name, int32_t base, int32_t size,
                           const sys::ThousandsFormat& format) {
    return name + " @ " + basEnumProcs::Hex(static_cast<uint32_t>(base)) + ": " +
           basEnumProcs::Hex(static_cast<uint32_t>(size)) + " (" +
           format.Format(static_cast<uint32_t>(size)) + ")";
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
