#pragma once
// The modules of one process: enumeration, the table sorted by base address,
// and the texts the module list and its caption show.

#include "system/address.h"
#include "system/number_text.h"
#include "system/os.h"

#include <cstdint>
#include <string>
#include <vector>

namespace main_window {

// Parallel arrays: element k is row k of the module list, in base order (signed
// for a 32-bit process, unsigned for a 64-bit one).
struct ModuleTable {
    sys::AddressWidth width = sys::AddressWidth::Bits32;
    int32_t lNumModules = 0;
    std::vector<std::string> sModuleNames;
    std::vector<std::string> sModulePaths;
    std::vector<sys::Address> lModuleBases;
    std::vector<uint64_t> lModuleSizes;
    int64_t lModuleBytes = 0; // 64-bit: the images of one process may pass 2 GB
};

struct ModuleListing {
    bool succeeded = false;
    DWORD error = 0; // last error of the failed enumeration
    ModuleTable table;
};

// Enumerates the modules of an open process and reads each one's name, path,
// base and size. Neither opens nor closes the handle.
ModuleListing ReadModules(sys::Os& os, HANDLE process);

// "app.exe @ 400000: 1A000 (106,496)", "kernel32.dll @ 7FFB12340000: 195000 (1,658,880)"
std::string ModuleLineText(const std::string& name, sys::Address base, uint64_t size,
                           const sys::ThousandsFormat& format);
std::vector<std::string> ModuleLines(const ModuleTable& table, const sys::ThousandsFormat& format);

// "23 Modules taking 8,040,448 bytes"
std::string ModulesCaption(const ModuleTable& table, const sys::ThousandsFormat& format);

} // namespace main_window
