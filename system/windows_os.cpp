#include "system/windows_os.h"

#include "system/system_library.h"

#include <shellapi.h>

#include <string>

namespace sys {

namespace {

// Calls a function the program can do without; where the system lacks it, the
// call fails with ERROR_PROC_NOT_FOUND.
template <typename Fn, typename... Args> BOOL CallOptional(Bound<Fn>& bound, Args... args) {
    Fn function = bound.TryGet();
    if (function == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return function(args...);
}

} // namespace

void RestrictLibrarySearchToSystemFolder() {
    // SetDefaultDllDirectories exists from Windows 7 with KB2533623 on.
    static Bound<BOOL(WINAPI*)(DWORD)> setDefaultDirectories{Kernel32(),
                                                             "SetDefaultDllDirectories"};
    auto set = setDefaultDirectories.TryGet();
    if (set == nullptr || !set(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        ::SetDllDirectoryA(""); // older systems: at least not the current folder
    }
}

struct WindowsOs::Bindings {
    SystemLibrary psapi{"psapi.dll"};
    SystemLibrary version{"version.dll"};

    Bound<decltype(&::EnumProcesses)> enumProcesses{psapi, "EnumProcesses"};
    Bound<decltype(&::EnumProcessModules)> enumProcessModules{psapi, "EnumProcessModules"};
    // From Windows Vista on only.
    Bound<BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD, DWORD)> enumProcessModulesEx{
        psapi, "EnumProcessModulesEx"};
    Bound<decltype(&::GetModuleBaseNameA)> getModuleBaseName{psapi, "GetModuleBaseNameA"};
    Bound<decltype(&::GetModuleFileNameExA)> getModuleFileNameEx{psapi, "GetModuleFileNameExA"};
    Bound<decltype(&::GetModuleInformation)> getModuleInformation{psapi, "GetModuleInformation"};
    Bound<decltype(&::GetProcessMemoryInfo)> getProcessMemoryInfo{psapi, "GetProcessMemoryInfo"};

    Bound<DWORD(WINAPI*)(LPCSTR, LPDWORD)> getVersionInfoSize{version, "GetFileVersionInfoSizeA"};
    Bound<BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID)> getVersionInfo{version,
                                                                      "GetFileVersionInfoA"};
    Bound<BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT)> verQueryValue{version, "VerQueryValueA"};

    // From Windows Vista on only; older systems go without the image path.
    Bound<decltype(&::QueryFullProcessImageNameA)> queryImageName{Kernel32(),
                                                                  "QueryFullProcessImageNameA"};
    // From Windows XP SP2 on only.
    Bound<BOOL(WINAPI*)(HANDLE, PBOOL)> isWow64Process{Kernel32(), "IsWow64Process"};

    // Only the driver list asks for the debug privilege: bound then, not imported.
    SystemLibrary advapi{"advapi32.dll"};
    Bound<decltype(&::OpenProcessToken)> openProcessToken{advapi, "OpenProcessToken"};
    Bound<decltype(&::LookupPrivilegeValueA)> lookupPrivilegeValue{advapi, "LookupPrivilegeValueA"};
    Bound<decltype(&::AdjustTokenPrivileges)> adjustTokenPrivileges{advapi,
                                                                    "AdjustTokenPrivileges"};

    SystemLibrary ntdll{"ntdll.dll"};
    Bound<LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG)> queryInformation{ntdll,
                                                                       "NtQuerySystemInformation"};
    Bound<ULONG(WINAPI*)(LONG)> statusToError{ntdll, "RtlNtStatusToDosError"};
    Bound<LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG)> queryProcess{
        ntdll, "NtQueryInformationProcess"};

    // Only the exit prompt needs the shell: loading it with the program would
    // cost every start-up shell32 and what it pulls in.
    SystemLibrary shell{"shell32.dll"};
    Bound<decltype(&::ShellExecuteA)> shellExecute{shell, "ShellExecuteA"};
};

WindowsOs::WindowsOs() : bound_(std::make_unique<Bindings>()) {}
WindowsOs::~WindowsOs() = default;

DWORD WindowsOs::GetLastError() { return ::GetLastError(); }

HANDLE WindowsOs::OpenProcess(DWORD access, BOOL inherit, DWORD pid) {
    return ::OpenProcess(access, inherit, pid);
}

BOOL WindowsOs::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }

DWORD WindowsOs::GetPriorityClass(HANDLE process) { return ::GetPriorityClass(process); }

SIZE_T WindowsOs::VirtualQueryEx(HANDLE process, LPCVOID address, MEMORY_BASIC_INFORMATION* info,
                                 SIZE_T length) {
    return ::VirtualQueryEx(process, address, info, length);
}

DWORD WindowsOs::GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    return ::GetModuleFileNameA(module, buffer, size);
}

DWORD WindowsOs::FormatMessageA(DWORD flags, DWORD code, DWORD language, LPSTR buffer, DWORD size) {
    return ::FormatMessageA(flags, nullptr, code, language, buffer, size, nullptr);
}

int WindowsOs::GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size) {
    return ::GetLocaleInfoA(locale, type, buffer, size);
}

BOOL WindowsOs::GetFileAttributesExA(LPCSTR path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    return ::GetFileAttributesExA(path, GetFileExInfoStandard, data);
}

BOOL WindowsOs::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
    return ::FileTimeToLocalFileTime(utc, local);
}

BOOL WindowsOs::FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) {
    return ::FileTimeToSystemTime(time, out);
}

int WindowsOs::GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                              LPSTR buffer, int size) {
    return ::GetDateFormatA(locale, flags, time, format, buffer, size);
}

int WindowsOs::GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                              LPSTR buffer, int size) {
    return ::GetTimeFormatA(locale, flags, time, format, buffer, size);
}

BOOL WindowsOs::QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR buffer, DWORD* size) {
    return CallOptional(bound_->queryImageName, process, flags, buffer, size);
}

void WindowsOs::GetSystemInfo(SYSTEM_INFO* info) { ::GetSystemInfo(info); }

void WindowsOs::GetNativeSystemInfo(SYSTEM_INFO* info) { ::GetNativeSystemInfo(info); }

BOOL WindowsOs::IsWow64Process(HANDLE process, BOOL* wow64) {
    return CallOptional(bound_->isWow64Process, process, wow64);
}

BOOL WindowsOs::ReadProcessMemory(HANDLE process, LPCVOID address, LPVOID buffer, SIZE_T size,
                                  SIZE_T* bytesRead) {
    return ::ReadProcessMemory(process, address, buffer, size, bytesRead);
}

BOOL WindowsOs::CreateProcessA(LPCSTR application, LPSTR commandLine, BOOL inheritHandles,
                               DWORD flags, LPCSTR directory, STARTUPINFOA* startup,
                               PROCESS_INFORMATION* information) {
    return ::CreateProcessA(application, commandLine, nullptr, nullptr, inheritHandles, flags,
                            nullptr, directory, startup, information);
}

HANDLE WindowsOs::CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    return ::CreateToolhelp32Snapshot(flags, processId);
}

BOOL WindowsOs::Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
    return ::Process32First(snapshot, entry);
}

BOOL WindowsOs::Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
    return ::Process32Next(snapshot, entry);
}

BOOL WindowsOs::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    return CallOptional(bound_->openProcessToken, process, access, token);
}

BOOL WindowsOs::LookupPrivilegeValueA(LPCSTR system, LPCSTR name, LUID* luid) {
    return CallOptional(bound_->lookupPrivilegeValue, system, name, luid);
}

BOOL WindowsOs::AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState,
                                      DWORD length, TOKEN_PRIVILEGES* previousState,
                                      DWORD* returnLength) {
    return CallOptional(bound_->adjustTokenPrivileges, token, disableAll, newState, length,
                        previousState, returnLength);
}

LONG WindowsOs::NtQuerySystemInformation(ULONG infoClass, PVOID buffer, ULONG length,
                                         ULONG* returnLength) {
    return bound_->queryInformation.Get(*this)(infoClass, buffer, length, returnLength);
}

ULONG WindowsOs::RtlNtStatusToDosError(LONG status) {
    return bound_->statusToError.Get(*this)(status);
}

LONG WindowsOs::NtQueryInformationProcess(HANDLE process, ULONG infoClass, PVOID buffer,
                                          ULONG length, ULONG* returnLength) {
    // The module list can do without it: it is then read through PSAPI.DLL.
    constexpr LONG kStatusProcedureNotFound = static_cast<LONG>(0xC000007A);
    auto query = bound_->queryProcess.TryGet();
    if (query == nullptr) {
        return kStatusProcedureNotFound;
    }
    return query(process, infoClass, buffer, length, returnLength);
}

BOOL WindowsOs::EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) {
    return bound_->enumProcesses.Get(*this)(ids, bytes, bytesReturned);
}

BOOL WindowsOs::EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                                   DWORD* bytesNeeded) {
    return bound_->enumProcessModules.Get(*this)(process, modules, bytes, bytesNeeded);
}

BOOL WindowsOs::EnumProcessModulesEx(HANDLE process, HMODULE* modules, DWORD bytes,
                                     DWORD* bytesNeeded, DWORD filter) {
    return CallOptional(bound_->enumProcessModulesEx, process, modules, bytes, bytesNeeded, filter);
}

DWORD WindowsOs::GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) {
    return bound_->getModuleBaseName.Get(*this)(process, module, buffer, size);
}

DWORD WindowsOs::GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) {
    return bound_->getModuleFileNameEx.Get(*this)(process, module, buffer, size);
}

BOOL WindowsOs::GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD size) {
    return bound_->getModuleInformation.Get(*this)(process, module, info, size);
}

BOOL WindowsOs::GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters,
                                     DWORD size) {
    return bound_->getProcessMemoryInfo.Get(*this)(process, counters, size);
}

DWORD WindowsOs::GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle) {
    return bound_->getVersionInfoSize.Get(*this)(path, handle);
}

BOOL WindowsOs::GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) {
    return bound_->getVersionInfo.Get(*this)(path, handle, size, data);
}

BOOL WindowsOs::VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, UINT* length) {
    return bound_->verQueryValue.Get(*this)(block, subBlock, value, length);
}

int WindowsOs::MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return ::MessageBoxA(owner, text, caption, type);
}

HINSTANCE WindowsOs::ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                   LPCSTR directory, INT show) {
    // A shell that cannot be bound fails the way ShellExecuteA itself reports it.
    auto shellExecute = bound_->shellExecute.TryGet();
    if (shellExecute == nullptr) {
        return reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
    }
    return shellExecute(owner, verb, file, parameters, directory, show);
}

BOOL WindowsOs::OpenClipboard(HWND owner) { return ::OpenClipboard(owner); }
BOOL WindowsOs::EmptyClipboard() { return ::EmptyClipboard(); }
HANDLE WindowsOs::SetClipboardData(UINT format, HANDLE data) {
    return ::SetClipboardData(format, data);
}
BOOL WindowsOs::CloseClipboard() { return ::CloseClipboard(); }
HGLOBAL WindowsOs::GlobalAlloc(UINT flags, SIZE_T bytes) { return ::GlobalAlloc(flags, bytes); }
LPVOID WindowsOs::GlobalLock(HGLOBAL memory) { return ::GlobalLock(memory); }
BOOL WindowsOs::GlobalUnlock(HGLOBAL memory) { return ::GlobalUnlock(memory); }
HGLOBAL WindowsOs::GlobalFree(HGLOBAL memory) { return ::GlobalFree(memory); }

} // namespace sys
