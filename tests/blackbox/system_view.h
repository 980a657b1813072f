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

// A file's last write, in local time: the short date, a space and the time, in the
// user's formats. Empty when the file cannot be read.
std::string LocalWriteTime(const std::string& path);

} // namespace blackbox
