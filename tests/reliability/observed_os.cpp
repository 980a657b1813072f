#include "tests/reliability/observed_os.h"

#include <shellapi.h>

namespace reliability {

void ObservedOs::Enter(const std::string& call, DWORD pid) {
    int number = ++calls_[call];
    auto hook = hooks_.find(call);
    if (hook != hooks_.end()) {
        hook->second(number, pid);
    }
}

DWORD ObservedOs::GetLastError() { return real_.GetLastError(); }

HANDLE ObservedOs::OpenProcess(DWORD access, BOOL inherit, DWORD pid) {
    Enter("OpenProcess", pid);
    openAccessMasks.push_back(access);
    HANDLE handle = real_.OpenProcess(access, inherit, pid);
    if (handle != nullptr) {
        open_.insert(handle);
    }
    return handle;
}

BOOL ObservedOs::CloseHandle(HANDLE handle) {
    Enter("CloseHandle");
    if (open_.erase(handle) == 0) {
        ++badCloses;
    }
    return real_.CloseHandle(handle);
}

DWORD ObservedOs::GetPriorityClass(HANDLE process) {
    Enter("GetPriorityClass");
    return real_.GetPriorityClass(process);
}

SIZE_T ObservedOs::VirtualQueryEx(HANDLE process, LPCVOID address, MEMORY_BASIC_INFORMATION* info,
                                  SIZE_T length) {
    Enter("VirtualQueryEx");
    return real_.VirtualQueryEx(process, address, info, length);
}

DWORD ObservedOs::GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    Enter("GetModuleFileNameA");
    return real_.GetModuleFileNameA(module, buffer, size);
}

DWORD ObservedOs::FormatMessageA(DWORD flags, DWORD code, DWORD language, LPSTR buffer,
                                 DWORD size) {
    Enter("FormatMessageA");
    return real_.FormatMessageA(flags, code, language, buffer, size);
}

int ObservedOs::GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size) {
    Enter("GetLocaleInfoA");
    return real_.GetLocaleInfoA(locale, type, buffer, size);
}

BOOL ObservedOs::GetFileAttributesExA(LPCSTR path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    Enter("GetFileAttributesExA");
    return real_.GetFileAttributesExA(path, data);
}

BOOL ObservedOs::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
    Enter("FileTimeToLocalFileTime");
    return real_.FileTimeToLocalFileTime(utc, local);
}

BOOL ObservedOs::FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) {
    Enter("FileTimeToSystemTime");
    return real_.FileTimeToSystemTime(time, out);
}

int ObservedOs::GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                               LPSTR buffer, int size) {
    Enter("GetDateFormatA");
    return real_.GetDateFormatA(locale, flags, time, format, buffer, size);
}

int ObservedOs::GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                               LPSTR buffer, int size) {
    Enter("GetTimeFormatA");
    return real_.GetTimeFormatA(locale, flags, time, format, buffer, size);
}

BOOL ObservedOs::QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR buffer,
                                            DWORD* size) {
    Enter("QueryFullProcessImageNameA");
    return real_.QueryFullProcessImageNameA(process, flags, buffer, size);
}

BOOL ObservedOs::EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) {
    Enter("EnumProcesses");
    return real_.EnumProcesses(ids, bytes, bytesReturned);
}

BOOL ObservedOs::EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                                    DWORD* bytesNeeded) {
    Enter("EnumProcessModules");
    return real_.EnumProcessModules(process, modules, bytes, bytesNeeded);
}

DWORD ObservedOs::GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) {
    Enter("GetModuleBaseNameA");
    return real_.GetModuleBaseNameA(process, module, buffer, size);
}

DWORD ObservedOs::GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) {
    Enter("GetModuleFileNameExA");
    return real_.GetModuleFileNameExA(process, module, buffer, size);
}

BOOL ObservedOs::GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info,
                                      DWORD size) {
    Enter("GetModuleInformation");
    return real_.GetModuleInformation(process, module, info, size);
}

BOOL ObservedOs::GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters,
                                      DWORD size) {
    Enter("GetProcessMemoryInfo");
    return real_.GetProcessMemoryInfo(process, counters, size);
}

BOOL ObservedOs::EnumDeviceDrivers(LPVOID* bases, DWORD bytes, DWORD* bytesNeeded) {
    Enter("EnumDeviceDrivers");
    return real_.EnumDeviceDrivers(bases, bytes, bytesNeeded);
}

DWORD ObservedOs::GetDeviceDriverBaseNameA(LPVOID base, LPSTR buffer, DWORD size) {
    Enter("GetDeviceDriverBaseNameA");
    return real_.GetDeviceDriverBaseNameA(base, buffer, size);
}

DWORD ObservedOs::GetDeviceDriverFileNameA(LPVOID base, LPSTR buffer, DWORD size) {
    Enter("GetDeviceDriverFileNameA");
    return real_.GetDeviceDriverFileNameA(base, buffer, size);
}

DWORD ObservedOs::GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle) {
    Enter("GetFileVersionInfoSizeA");
    return real_.GetFileVersionInfoSizeA(path, handle);
}

BOOL ObservedOs::GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) {
    Enter("GetFileVersionInfoA");
    return real_.GetFileVersionInfoA(path, handle, size, data);
}

BOOL ObservedOs::VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, UINT* length) {
    Enter("VerQueryValueA");
    return real_.VerQueryValueA(block, subBlock, value, length);
}

LRESULT ObservedOs::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Enter("SendMessageA");
    return real_.SendMessageA(window, message, wParam, lParam);
}

int ObservedOs::MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT) {
    Enter("MessageBoxA");
    messageBoxTexts.push_back(text != nullptr ? text : "");
    return IDCANCEL; // never opens the publisher's page
}

HINSTANCE ObservedOs::ShellExecuteA(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) {
    Enter("ShellExecuteA");
    return reinterpret_cast<HINSTANCE>(SE_ERR_NOASSOC); // nothing is started
}

BOOL ObservedOs::OpenClipboard(HWND owner) {
    Enter("OpenClipboard");
    return real_.OpenClipboard(owner);
}

BOOL ObservedOs::EmptyClipboard() {
    Enter("EmptyClipboard");
    return real_.EmptyClipboard();
}

HANDLE ObservedOs::SetClipboardData(UINT format, HANDLE data) {
    Enter("SetClipboardData");
    return real_.SetClipboardData(format, data);
}

BOOL ObservedOs::CloseClipboard() {
    Enter("CloseClipboard");
    return real_.CloseClipboard();
}

HGLOBAL ObservedOs::GlobalAlloc(UINT flags, SIZE_T bytes) {
    Enter("GlobalAlloc");
    return real_.GlobalAlloc(flags, bytes);
}

LPVOID ObservedOs::GlobalLock(HGLOBAL memory) {
    Enter("GlobalLock");
    return real_.GlobalLock(memory);
}

BOOL ObservedOs::GlobalUnlock(HGLOBAL memory) {
    Enter("GlobalUnlock");
    return real_.GlobalUnlock(memory);
}

HGLOBAL ObservedOs::GlobalFree(HGLOBAL memory) {
    Enter("GlobalFree");
    return real_.GlobalFree(memory);
}

} // namespace reliability
