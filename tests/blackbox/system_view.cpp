#include "tests/blackbox/system_view.h"

#include "tests/blackbox/row_text.h"
#include "tests/blackbox/win32_handles.h"

#include <psapi.h>

#include <algorithm>
#include <stdexcept>

namespace blackbox {

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

std::vector<DWORD> ProcessIds() {
    std::vector<DWORD> ids(1024);
    DWORD bytes = 0;
    if (!::EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) {
        throw std::runtime_error("EnumProcesses failed");
    }
    ids.resize(bytes / sizeof(DWORD));
    return ids;
}

} // namespace

std::vector<ModuleFacts> ModulesOf(HANDLE process) {
    std::vector<HMODULE> modules(512);
    DWORD bytes = 0;
    if (!::EnumProcessModules(process, modules.data(),
                              static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &bytes)) {
        throw std::runtime_error("EnumProcessModules failed: error " +
                                 std::to_string(::GetLastError()));
    }
    modules.resize(std::min<size_t>(modules.size(), bytes / sizeof(HMODULE)));
    std::vector<ModuleFacts> facts;
    for (HMODULE module : modules) {
        facts.push_back({BaseName(process, module), FileName(process, module),
                         reinterpret_cast<uintptr_t>(module)});
    }
    return facts;
}

std::string MainModulePath(HANDLE process) { return FileName(process, nullptr); }

std::multimap<std::string, DWORD> ProcessesNamed(const std::vector<std::string>& names) {
    std::multimap<std::string, DWORD> found;
    for (DWORD id : ProcessIds()) {
        UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (!process) {
            continue;
        }
        std::string name = BaseName(process.Get(), nullptr);
        for (const std::string& wanted : names) {
            if (EqualIgnoringCase(name, wanted)) {
                found.emplace(name, id);
            }
        }
    }
    return found;
}

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
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
