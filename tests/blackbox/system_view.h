#pragma once
// What the system itself says about processes, read by the test to compare the
// viewer's texts with.

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace blackbox {

struct ModuleFacts {
    std::string name;
    std::string path;
    uintptr_t base;
    uint32_t size;
};

// Through PSAPI.DLL's calls, in the order the system lists them.
std::vector<ModuleFacts> ModulesOf(HANDLE process);
std::string MainModulePath(HANDLE process);

// How many processes of this Wine session Linux itself shows under each of these exe
// names, read from /proc through Wine's drive Z:. Throws when /proc cannot be read.
std::map<std::string, int> WineProcessesSeenByLinux(const std::vector<std::string>& names);

// One line of Linux's /proc/PID/maps: [start, end) maps `path` from `offset` on
// (an empty path: anonymous memory).
struct LinuxMapping {
    uint64_t start;
    uint64_t end;
    uint64_t offset;
    std::string path;
};
// The mappings of the one live process of this Wine session whose exe has this
// name, in address order, read from /proc through drive Z:. Throws unless there
// is exactly one such process.
std::vector<LinuxMapping> LinuxMappingsOf(const std::string& exeName);

// SizeOfImage from the header of a 64-bit PE file; throws when it cannot be read.
uint64_t ImageSizeOfFile(const std::string& path);

// The kernel modules of the system's module information (the drivers among them),
// read by this program itself, in the system's order.
struct DriverFacts {
    std::string name;
    std::string path;
    uint64_t base; // as this program's pointers hold it
};
std::vector<DriverFacts> DriversOfTheSystem();

bool RunningUnderWine();
// True when this 32-bit program runs on 64-bit Windows.
bool RunningUnderWow64();

struct ListedProcess {
    DWORD id;
    std::string name;
};
// The first row of the process list whose process is 64-bit and opens for query
// and memory read, with the name the system gives its image.
std::optional<ListedProcess> Listed64BitProcess(const std::vector<std::string>& rows);

// A file's last write, in local time: the short date, a space and the time, in the
// user's formats. Empty when the file cannot be read.
std::string LocalWriteTime(const std::string& path);

} // namespace blackbox
