#include "tests/blackbox/system_view.h"

#include "tests/blackbox/row_text.h"
#include "tests/kit/handles.h"

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace blackbox {

using testkit::UniqueHandle;

namespace {

std::string BaseName(HANDLE process, HMODULE module) {
    char name[MAX_PATH] = {};
    DWORD length = ::GetModuleBaseNameA(process, module, name, MAX_PATH);
    return std::string(name, length);
}

std::string FileName(HANDLE process, HMODULE module) {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameExA(process, module, path, MAX_PATH);
    return std::string(path, length);
}

constexpr char kLinuxProcesses[] = "Z:\\proc\\";

// Files under /proc report no size: read until the end (or the limit).
std::string ReadWholeFile(const std::string& path, size_t limit = SIZE_MAX) {
    UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    std::string content;
    char chunk[4096];
    DWORD read = 0;
    while (file && content.size() < limit &&
           ::ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        content.append(chunk, read);
    }
    return content.substr(0, limit);
}

// The folders Z:\proc\<pid> of every Linux process.
std::vector<std::string> LinuxProcessFolders() {
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((std::string(kLinuxProcesses) + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot list " + std::string(kLinuxProcesses) + ": error " +
                                 std::to_string(::GetLastError()));
    }
    std::vector<std::string> folders;
    do {
        std::string name = found.cFileName;
        if (!DigitsOf(name).empty() && DigitsOf(name) == name) {
            folders.push_back(kLinuxProcesses + name + "\\");
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return folders;
}

// The value of NAME in a NUL-separated list of NAME=value entries, or "".
std::string EntryValue(const std::string& entries, const std::string& name) {
    std::string key = '\0' + name + '=';
    std::string all = '\0' + entries;
    size_t at = all.find(key);
    if (at == std::string::npos) {
        return std::string();
    }
    size_t start = at + key.size();
    return all.substr(start, all.find('\0', start) - start);
}

// Z:\proc\self is the wineserver, not this program: the prefix comes from the
// environment, which Wine passes on from Linux.
std::string OwnWinePrefix() {
    char prefix[MAX_PATH] = {};
    DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    return length < MAX_PATH ? std::string(prefix, length) : std::string();
}

// The file name of the exe a Wine process runs: its command line begins with the
// Windows exe path, for example C:\windows\system32\services.exe.
std::string ExeNameOf(const std::string& folder) {
    std::string commandLine = ReadWholeFile(folder + "cmdline");
    std::string exe = commandLine.substr(0, commandLine.find('\0'));
    exe.erase(std::remove(exe.begin(), exe.end(), '"'), exe.end());
    return exe.substr(exe.find_last_of("\\/") + 1);
}

bool InThisWineSession(const std::string& folder) {
    return EntryValue(ReadWholeFile(folder + "environ"), "WINEPREFIX") == OwnWinePrefix();
}

// "7b600000-7b601000 r--p 00000000 fe:00 1131128    /usr/lib/.../kernel32.dll"
std::vector<LinuxMapping> ParsedMappings(const std::string& maps) {
    std::vector<LinuxMapping> mappings;
    std::istringstream lines(maps);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string range;
        std::string permissions;
        std::string device;
        uint64_t inode = 0;
        LinuxMapping mapping{};
        fields >> range >> permissions >> std::hex >> mapping.offset >> device >> std::dec >> inode;
        size_t dash = range.find('-');
        if (!fields || dash == std::string::npos) {
            continue;
        }
        mapping.start = std::stoull(range.substr(0, dash), nullptr, 16);
        mapping.end = std::stoull(range.substr(dash + 1), nullptr, 16);
        std::getline(fields >> std::ws, mapping.path);
        mappings.push_back(std::move(mapping));
    }
    return mappings;
}

} // namespace

std::vector<ModuleFacts> ModulesOf(HANDLE process) {
    std::vector<HMODULE> modules(512);
    for (DWORD bytes = 0;; modules.resize(bytes / sizeof(HMODULE) + 64)) {
        auto capacity = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
        if (!::EnumProcessModules(process, modules.data(), capacity, &bytes)) {
            throw std::runtime_error("EnumProcessModules failed: error " +
                                     std::to_string(::GetLastError()));
        }
        if (bytes <= capacity) {
            modules.resize(bytes / sizeof(HMODULE));
            break;
        }
    }
    std::vector<ModuleFacts> facts;
    for (HMODULE module : modules) {
        MODULEINFO info{};
        ::GetModuleInformation(process, module, &info, sizeof info);
        facts.push_back({BaseName(process, module), FileName(process, module),
                         reinterpret_cast<uintptr_t>(module), info.SizeOfImage});
    }
    return facts;
}

std::string MainModulePath(HANDLE process) { return FileName(process, nullptr); }

std::map<std::string, int> WineProcessesSeenByLinux(const std::vector<std::string>& names) {
    std::map<std::string, int> counts;
    for (const std::string& name : names) {
        counts[name] = 0;
    }
    for (const std::string& folder : LinuxProcessFolders()) {
        std::string exe = ExeNameOf(folder);
        for (auto& [name, count] : counts) {
            if (EqualIgnoringCase(exe, name) && InThisWineSession(folder)) {
                ++count;
            }
        }
    }
    return counts;
}

std::vector<LinuxMapping> LinuxMappingsOf(const std::string& exeName) {
    std::vector<std::vector<LinuxMapping>> found;
    for (const std::string& folder : LinuxProcessFolders()) {
        if (EqualIgnoringCase(ExeNameOf(folder), exeName) && InThisWineSession(folder)) {
            std::vector<LinuxMapping> mappings = ParsedMappings(ReadWholeFile(folder + "maps"));
            if (!mappings.empty()) { // a process that has just ended maps nothing
                found.push_back(std::move(mappings));
            }
        }
    }
    if (found.size() != 1) {
        throw std::runtime_error("Linux shows " + std::to_string(found.size()) + " live " +
                                 exeName + " processes of this Wine session, not one");
    }
    return found.front();
}

uint64_t ImageSizeOfFile(const std::string& path) {
    std::string header = ReadWholeFile(path, 4096);
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS64 nt{};
    if (header.size() < sizeof dos) {
        throw std::runtime_error("cannot read the header of " + path);
    }
    std::memcpy(&dos, header.data(), sizeof dos);
    size_t at = static_cast<size_t>(dos.e_lfanew);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || at > header.size() ||
        header.size() - at < sizeof nt) {
        throw std::runtime_error("no PE header in " + path);
    }
    std::memcpy(&nt, header.data() + at, sizeof nt);
    if (nt.Signature != IMAGE_NT_SIGNATURE ||
        nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        throw std::runtime_error("no 64-bit PE header in " + path);
    }
    return nt.OptionalHeader.SizeOfImage;
}

namespace {

// RTL_PROCESS_MODULE_INFORMATION, laid out as the system documents it.
struct KernelModule {
    void* section;
    void* mappedBase;
    void* imageBase;
    ULONG imageSize;
    ULONG flags;
    USHORT loadOrderIndex;
    USHORT initOrderIndex;
    USHORT loadCount;
    USHORT offsetToFileName;
    char fullPathName[256];
};

} // namespace

std::vector<DriverFacts> DriversOfTheSystem() {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG kModuleInformation = 11;
    std::vector<char> answer(1 << 20);
    ULONG written = 0;
    LONG status =
        query(kModuleInformation, answer.data(), static_cast<ULONG>(answer.size()), &written);
    if (status < 0) {
        throw std::runtime_error("module information: status " + std::to_string(status));
    }
    ULONG count = 0;
    std::memcpy(&count, answer.data(), sizeof count);
    size_t first = alignof(KernelModule) > sizeof(ULONG) ? alignof(KernelModule) : sizeof(ULONG);
    std::vector<DriverFacts> drivers;
    for (ULONG k = 0; k < count; ++k) {
        KernelModule module;
        std::memcpy(&module, answer.data() + first + k * sizeof module, sizeof module);
        std::string path(module.fullPathName, strnlen(module.fullPathName, 256));
        drivers.push_back({path.substr(module.offsetToFileName), path,
                           reinterpret_cast<uintptr_t>(module.imageBase)});
    }
    return drivers;
}

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool RunningUnderWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

std::optional<ListedProcess> Listed64BitProcess(const std::vector<std::string>& rows) {
    for (const std::string& row : rows) {
        auto id = LeadingProcessId(row);
        UniqueHandle process(
            id ? ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, *id) : nullptr);
        BOOL wow64 = TRUE;
        char path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (process && ::IsWow64Process(process.Get(), &wow64) && !wow64 &&
            ::QueryFullProcessImageNameA(process.Get(), 0, path, &size)) {
            std::string image(path, size);
            return ListedProcess{*id, image.substr(image.find_last_of('\\') + 1)};
        }
    }
    return std::nullopt;
}

std::string LocalWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    FILETIME local{};
    SYSTEMTIME time{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes) ||
        !::FileTimeToLocalFileTime(&attributes.ftLastWriteTime, &local) ||
        !::FileTimeToSystemTime(&local, &time)) {
        return std::string();
    }
    char date[80] = {};
    char clock[80] = {};
    ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
    return std::string(date) + " " + clock;
}

} // namespace blackbox
