#pragma once
// The real system layer with a watch on it: every call goes to sys::WindowsOs,
// while this layer counts the process handles opened and closed, runs a hook
// before the calls a test chooses (to end a process at an exact moment), and
// records message boxes instead of showing them, so no test waits for a click.

#include "system/windows_os.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace reliability {

class ObservedOs final : public sys::Os {
public:
    // Runs before each call named `call`, with that call's number (from 1) and,
    // for OpenProcess, the process id asked for (0 for the other calls).
    using Hook = std::function<void(int number, DWORD pid)>;
    void Before(const std::string& call, Hook hook) { hooks_[call] = std::move(hook); }
    void ClearHooks() { hooks_.clear(); }

    int OpenHandles() const { return static_cast<int>(open_.size()); }
    int badCloses = 0;
    std::vector<DWORD> openAccessMasks;
    std::vector<std::string> messageBoxTexts;

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

    BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) override;
    BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                            DWORD* bytesNeeded) override;
    DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) override;
    DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) override;
    BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info,
                              DWORD size) override;
    BOOL GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters,
                              DWORD size) override;
    BOOL EnumDeviceDrivers(LPVOID* bases, DWORD bytes, DWORD* bytesNeeded) override;
    DWORD GetDeviceDriverBaseNameA(LPVOID base, LPSTR buffer, DWORD size) override;
    DWORD GetDeviceDriverFileNameA(LPVOID base, LPSTR buffer, DWORD size) override;

    DWORD GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle) override;
    BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) override;
    BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, UINT* length) override;

    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
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
    void Enter(const std::string& call, DWORD pid = 0);

    sys::WindowsOs real_;
    std::map<std::string, Hook> hooks_;
    std::map<std::string, int> calls_;
    std::set<HANDLE> open_;
};

} // namespace reliability
