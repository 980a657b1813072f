#pragma once
// What the system itself says about processes, read by the test to compare the
// viewer's texts with.

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace blackbox {

struct ModuleFacts {
    std::string name;
    std::string path;
    uintptr_t base;
};

std::vector<ModuleFacts> ModulesOf(HANDLE process);
std::string MainModulePath(HANDLE process);

// Ids of the running processes whose exe has one of these names.
std::multimap<std::string, DWORD> ProcessesNamed(const std::vector<std::string>& names);

bool RunningUnderWine();

} // namespace blackbox
