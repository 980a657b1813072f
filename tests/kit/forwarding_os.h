#pragma once
// A system layer that hands every call to another one: a layer that watches some
// calls derives from it and overrides only those.

#include "system/os.h"

namespace testkit {

class ForwardingOs : public sys::Os {
public:
    explicit ForwardingOs(sys::Os& next) : next_(next) {}

    DWORD GetLastError() override { return next_.GetLastError(); }
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD pid) override {
        return next_.OpenProcess(access, inherit, pid);
    }
    BOOL CloseHandle(HANDLE handle) override { return next_.CloseHandle(handle); }
    DWORD GetPriorityClass(HANDLE process) override { return next_.GetPriorityClass(process); }
    SIZE_T VirtualQueryEx(HANDLE process, LPCVOID address, MEMORY_BASIC_INFORMATION* info,
                          SIZE_T length) override {
        return next_.VirtualQueryEx(process, address, info, length);
    }
    DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) override {
        return next_.GetModuleFileNameA(module, buffer, size);
    }
    DWORD FormatMessageA(DWORD flags, DWORD code, DWORD language, LPSTR buffer,
                         DWORD size) override {
        return next_.FormatMessageA(flags, code, language, buffer, size);
    }
    int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size) override {
        return next_.GetLocaleInfoA(locale, type, buffer, size);
    }
    BOOL GetFileAttributesExA(LPCSTR path, WIN32_FILE_ATTRIBUTE_DATA* data) override {
        return next_.GetFileAttributesExA(path, data);
    }
    BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) override {
        return next_.FileTimeToLocalFileTime(utc, local);
    }
    BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) override {
        return next_.FileTimeToSystemTime(time, out);
    }
    int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                       LPSTR buffer, int size) override {
        return next_.GetDateFormatA(locale, flags, time, format, buffer, size);
    }
    int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                       LPSTR buffer, int size) override {
        return next_.GetTimeFormatA(locale, flags, time, format, buffer, size);
    }
    BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR buffer,
                                    DWORD* size) override {
        return next_.QueryFullProcessImageNameA(process, flags, buffer, size);
    }
    void GetSystemInfo(SYSTEM_INFO* info) override { next_.GetSystemInfo(info); }
    void GetNativeSystemInfo(SYSTEM_INFO* info) override { next_.GetNativeSystemInfo(info); }
    BOOL IsWow64Process(HANDLE process, BOOL* wow64) override {
        return next_.IsWow64Process(process, wow64);
    }
    BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, BOOL inheritHandles, DWORD flags,
                        LPCSTR directory, STARTUPINFOA* startup,
                        PROCESS_INFORMATION* information) override {
        return next_.CreateProcessA(application, commandLine, inheritHandles, flags, directory,
                                    startup, information);
    }

    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override {
        return next_.CreateToolhelp32Snapshot(flags, processId);
    }
    BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) override {
        return next_.Process32First(snapshot, entry);
    }
    BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) override {
        return next_.Process32Next(snapshot, entry);
    }
    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override {
        return next_.OpenProcessToken(process, access, token);
    }
    BOOL LookupPrivilegeValueA(LPCSTR system, LPCSTR name, LUID* luid) override {
        return next_.LookupPrivilegeValueA(system, name, luid);
    }
    BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState,
                               DWORD length, TOKEN_PRIVILEGES* previousState,
                               DWORD* returnLength) override {
        return next_.AdjustTokenPrivileges(token, disableAll, newState, length, previousState,
                                           returnLength);
    }
    LONG NtQuerySystemInformation(ULONG infoClass, PVOID buffer, ULONG length,
                                  ULONG* returnLength) override {
        return next_.NtQuerySystemInformation(infoClass, buffer, length, returnLength);
    }
    ULONG RtlNtStatusToDosError(LONG status) override {
        return next_.RtlNtStatusToDosError(status);
    }
    BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) override {
        return next_.EnumProcesses(ids, bytes, bytesReturned);
    }
    BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                            DWORD* bytesNeeded) override {
        return next_.EnumProcessModules(process, modules, bytes, bytesNeeded);
    }
    BOOL EnumProcessModulesEx(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded,
                              DWORD filter) override {
        return next_.EnumProcessModulesEx(process, modules, bytes, bytesNeeded, filter);
    }
    DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) override {
        return next_.GetModuleBaseNameA(process, module, buffer, size);
    }
    DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) override {
        return next_.GetModuleFileNameExA(process, module, buffer, size);
    }
    BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info,
                              DWORD size) override {
        return next_.GetModuleInformation(process, module, info, size);
    }
    BOOL ReadProcessMemory(HANDLE process, LPCVOID address, LPVOID buffer, SIZE_T size,
                           SIZE_T* bytesRead) override {
        return next_.ReadProcessMemory(process, address, buffer, size, bytesRead);
    }
    LONG NtQueryInformationProcess(HANDLE process, ULONG infoClass, PVOID buffer, ULONG length,
                                   ULONG* returnLength) override {
        return next_.NtQueryInformationProcess(process, infoClass, buffer, length, returnLength);
    }
    BOOL GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters,
                              DWORD size) override {
        return next_.GetProcessMemoryInfo(process, counters, size);
    }

    DWORD GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle) override {
        return next_.GetFileVersionInfoSizeA(path, handle);
    }
    BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) override {
        return next_.GetFileVersionInfoA(path, handle, size, data);
    }
    BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, UINT* length) override {
        return next_.VerQueryValueA(block, subBlock, value, length);
    }

    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override {
        return next_.MessageBoxA(owner, text, caption, type);
    }
    HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                            LPCSTR directory, INT show) override {
        return next_.ShellExecuteA(owner, verb, file, parameters, directory, show);
    }

    BOOL OpenClipboard(HWND owner) override { return next_.OpenClipboard(owner); }
    BOOL EmptyClipboard() override { return next_.EmptyClipboard(); }
    HANDLE SetClipboardData(UINT format, HANDLE data) override {
        return next_.SetClipboardData(format, data);
    }
    BOOL CloseClipboard() override { return next_.CloseClipboard(); }
    HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) override {
        return next_.GlobalAlloc(flags, bytes);
    }
    LPVOID GlobalLock(HGLOBAL memory) override { return next_.GlobalLock(memory); }
    BOOL GlobalUnlock(HGLOBAL memory) override { return next_.GlobalUnlock(memory); }
    HGLOBAL GlobalFree(HGLOBAL memory) override { return next_.GlobalFree(memory); }

private:
    sys::Os& next_;
};

} // namespace testkit
