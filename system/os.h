#pragma once
// The one seam between the viewer and the operating system: the process, module,
// driver, token, memory, version and locale queries, the message boxes, the shell, the
// clipboard and the file times go through an Os, so that a test can make any of
// them fail or return any data. Window and GDI plumbing (creating windows and
// controls, messages, painting) is called directly. The product uses WindowsOs,
// the tests a scripted fake. Methods mirror the Win32 functions one to one, so
// callers read exactly like Win32 code and the last error is read through
// GetLastError() right after the call that failed.

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstddef>

namespace sys {

// The system's module information (NtQuerySystemInformation, class 11): every
// kernel module, the drivers among them, with its load address and its path.
inline constexpr ULONG kSystemModuleInformation = 11;
inline constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct SystemModule {
    HANDLE section;
    PVOID mappedBase;
    PVOID imageBase; // 0 where the system hides kernel addresses from this program
    ULONG imageSize;
    ULONG flags;
    USHORT loadOrderIndex;
    USHORT initOrderIndex;
    USHORT loadCount;
    USHORT offsetToFileName; // where the base name starts in fullPathName
    char fullPathName[256];
};

struct SystemModules {
    ULONG numberOfModules;
    SystemModule modules[1];
};

inline constexpr size_t kSystemModulesHeader = offsetof(SystemModules, modules);

// NtQueryInformationProcess: where a process's loader keeps its module list.
inline constexpr ULONG kProcessBasicInformation = 0;
// A WOW64 process's 32-bit PEB, as a ULONG_PTR; 0 for a process that is not WOW64.
inline constexpr ULONG kProcessWow64Information = 26;

struct ProcessBasicInformation {
    LONG exitStatus;
    PVOID pebBaseAddress; // in the layout of the caller's own width
    ULONG_PTR affinityMask;
    LONG basePriority;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR inheritedFromUniqueProcessId;
};

class Os {
public:
    virtual ~Os() = default;

    // kernel32
    virtual DWORD GetLastError() = 0;
    virtual HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD pid) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual DWORD GetPriorityClass(HANDLE process) = 0;
    virtual SIZE_T VirtualQueryEx(HANDLE process, LPCVOID address, MEMORY_BASIC_INFORMATION* info,
                                  SIZE_T length) = 0;
    virtual DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) = 0;
    virtual DWORD FormatMessageA(DWORD flags, DWORD code, DWORD language, LPSTR buffer,
                                 DWORD size) = 0;
    virtual int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size) = 0;
    virtual BOOL GetFileAttributesExA(LPCSTR path, WIN32_FILE_ATTRIBUTE_DATA* data) = 0;
    virtual BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) = 0;
    virtual BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) = 0;
    virtual int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                               LPSTR buffer, int size) = 0;
    virtual int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                               LPSTR buffer, int size) = 0;
    // Fails with ERROR_PROC_NOT_FOUND where the system has no such function.
    virtual BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR buffer,
                                            DWORD* size) = 0;
    virtual void GetSystemInfo(SYSTEM_INFO* info) = 0;
    virtual void GetNativeSystemInfo(SYSTEM_INFO* info) = 0;
    // Fails with ERROR_PROC_NOT_FOUND where the system has no such function.
    virtual BOOL IsWow64Process(HANDLE process, BOOL* wow64) = 0;
    virtual BOOL ReadProcessMemory(HANDLE process, LPCVOID address, LPVOID buffer, SIZE_T size,
                                   SIZE_T* bytesRead) = 0;
    virtual BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, BOOL inheritHandles,
                                DWORD flags, LPCSTR directory, STARTUPINFOA* startup,
                                PROCESS_INFORMATION* information) = 0;
    // INVALID_HANDLE_VALUE, not nullptr, when it fails.
    virtual HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) = 0;
    virtual BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) = 0;
    virtual BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) = 0;

    // advapi32
    virtual BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) = 0;
    virtual BOOL LookupPrivilegeValueA(LPCSTR system, LPCSTR name, LUID* luid) = 0;
    // Succeeds with the last error ERROR_NOT_ALL_ASSIGNED when the token lacks a privilege.
    virtual BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState,
                                       DWORD length, TOKEN_PRIVILEGES* previousState,
                                       DWORD* returnLength) = 0;

    // ntdll: an NTSTATUS, not the last error, tells how the query went.
    virtual LONG NtQuerySystemInformation(ULONG infoClass, PVOID buffer, ULONG length,
                                          ULONG* returnLength) = 0;
    virtual ULONG RtlNtStatusToDosError(LONG status) = 0;
    virtual LONG NtQueryInformationProcess(HANDLE process, ULONG infoClass, PVOID buffer,
                                           ULONG length, ULONG* returnLength) = 0;

    // PSAPI.DLL
    virtual BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) = 0;
    virtual BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                                    DWORD* bytesNeeded) = 0;
    // Fails with ERROR_PROC_NOT_FOUND where the system has no such function.
    virtual BOOL EnumProcessModulesEx(HANDLE process, HMODULE* modules, DWORD bytes,
                                      DWORD* bytesNeeded, DWORD filter) = 0;
    virtual DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) = 0;
    virtual DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer,
                                       DWORD size) = 0;
    virtual BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info,
                                      DWORD size) = 0;
    virtual BOOL GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters,
                                      DWORD size) = 0;

    // version.dll
    virtual DWORD GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle) = 0;
    virtual BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) = 0;
    virtual BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, UINT* length) = 0;

    // user32 and shell32
    virtual int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = 0;
    virtual HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT show) = 0;

    // Clipboard and the global memory it takes
    virtual BOOL OpenClipboard(HWND owner) = 0;
    virtual BOOL EmptyClipboard() = 0;
    virtual HANDLE SetClipboardData(UINT format, HANDLE data) = 0;
    virtual BOOL CloseClipboard() = 0;
    virtual HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) = 0;
    virtual LPVOID GlobalLock(HGLOBAL memory) = 0;
    virtual BOOL GlobalUnlock(HGLOBAL memory) = 0;
    virtual HGLOBAL GlobalFree(HGLOBAL memory) = 0;
};

} // namespace sys
