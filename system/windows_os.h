#pragma once
// The product's Os: straight calls into Windows. PSAPI.DLL and version.dll are
// bound by name on first use, from the system directory only.

#include "system/os.h"

#include <memory>

namespace sys {

// From here on, every DLL loaded by bare name, by this program or by the
// system's own DLLs on its behalf, comes from the system folder only: never
// from the program's folder or the current one, where a planted copy may lie.
// Called first thing at start-up.
void RestrictLibrarySearchToSystemFolder();

class WindowsOs final : public Os {
public:
    WindowsOs();
    ~WindowsOs() override;
    WindowsOs(const WindowsOs&) = delete;
    WindowsOs& operator=(const WindowsOs&) = delete;

    DWORD GetLastError() override;
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD pid) override;
    BOOL CloseHandle(HANDLE handle) override;
    DWORD GetPriorityClass(HANDLE process) override;
    SIZE_T VirtualQueryEx(HANDLE process, LPCVOID address, MEMORY_BASIC_INFORMATION* info,
                          SIZE_T length) override;
    DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) override;
    DWORD FormatMessageA(DWORD flags, DWORD code, DWORD language, LPSTR buffer,
                         DWORD size) override;
    int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size) override;
    BOOL GetFileAttributesExA(LPCSTR path, WIN32_FILE_ATTRIBUTE_DATA* data) override;
    BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) override;
    BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) override;
    int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                       LPSTR buffer, int size) override;
    int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                       LPSTR buffer, int size) override;
    BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR buffer,
                                    DWORD* size) override;
    void GetSystemInfo(SYSTEM_INFO* info) override;
    void GetNativeSystemInfo(SYSTEM_INFO* info) override;
    BOOL IsWow64Process(HANDLE process, BOOL* wow64) override;
    BOOL ReadProcessMemory(HANDLE process, LPCVOID address, LPVOID buffer, SIZE_T size,
                           SIZE_T* bytesRead) override;
    BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, BOOL inheritHandles, DWORD flags,
                        LPCSTR directory, STARTUPINFOA* startup,
                        PROCESS_INFORMATION* information) override;
    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
    BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) override;
    BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) override;

    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override;
    BOOL LookupPrivilegeValueA(LPCSTR system, LPCSTR name, LUID* luid) override;
    BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState,
                               DWORD length, TOKEN_PRIVILEGES* previousState,
                               DWORD* returnLength) override;

    LONG NtQuerySystemInformation(ULONG infoClass, PVOID buffer, ULONG length,
                                  ULONG* returnLength) override;
    ULONG RtlNtStatusToDosError(LONG status) override;
    LONG NtQueryInformationProcess(HANDLE process, ULONG infoClass, PVOID buffer, ULONG length,
                                   ULONG* returnLength) override;

    BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) override;
    BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                            DWORD* bytesNeeded) override;
    BOOL EnumProcessModulesEx(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded,
                              DWORD filter) override;
    DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) override;
    DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) override;
    BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info,
                              DWORD size) override;
    BOOL GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters,
                              DWORD size) override;

    DWORD GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle) override;
    BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) override;
    BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, UINT* length) override;

    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
    HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                            LPCSTR directory, INT show) override;

    BOOL OpenClipboard(HWND owner) override;
    BOOL EmptyClipboard() override;
    HANDLE SetClipboardData(UINT format, HANDLE data) override;
    BOOL CloseClipboard() override;
    HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) override;
    LPVOID GlobalLock(HGLOBAL memory) override;
    BOOL GlobalUnlock(HGLOBAL memory) override;
    HGLOBAL GlobalFree(HGLOBAL memory) override;

private:
    struct Bindings;
    std::unique_ptr<Bindings> bound_;
};

} // namespace sys
