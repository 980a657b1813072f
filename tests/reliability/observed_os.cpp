#include "tests/reliability/observed_os.h"

#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace reliability {

namespace {

const char* const kWatchedCalls[] = {"OpenProcess",    "CloseHandle", "GetProcessMemoryInfo",
                                     "VirtualQueryEx", "MessageBoxA", "ShellExecuteA"};

} // namespace

void ObservedOs::Before(const std::string& call, Hook hook) {
    if (std::find(std::begin(kWatchedCalls), std::end(kWatchedCalls), call) ==
        std::end(kWatchedCalls)) {
        throw std::invalid_argument(call + " is not watched");
    }
    hooks_[call] = std::move(hook);
}

void ObservedOs::Enter(const std::string& call, DWORD pid) {
    int number = ++calls_[call];
    auto hook = hooks_.find(call);
    if (hook != hooks_.end()) {
        hook->second(number, pid);
    }
}

HANDLE ObservedOs::OpenProcess(DWORD access, BOOL inherit, DWORD pid) {
    Enter("OpenProcess", pid);
    HANDLE handle = ForwardingOs::OpenProcess(access, inherit, pid);
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
    return ForwardingOs::CloseHandle(handle);
}

HANDLE ObservedOs::CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    HANDLE snapshot = ForwardingOs::CreateToolhelp32Snapshot(flags, processId);
    if (snapshot != INVALID_HANDLE_VALUE) {
        open_.insert(snapshot);
    }
    return snapshot;
}

BOOL ObservedOs::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    BOOL opened = ForwardingOs::OpenProcessToken(process, access, token);
    if (opened) {
        open_.insert(*token);
    }
    return opened;
}

SIZE_T ObservedOs::VirtualQueryEx(HANDLE process, LPCVOID address, MEMORY_BASIC_INFORMATION* info,
                                  SIZE_T length) {
    Enter("VirtualQueryEx");
    return ForwardingOs::VirtualQueryEx(process, address, info, length);
}

BOOL ObservedOs::GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters,
                                      DWORD size) {
    Enter("GetProcessMemoryInfo");
    return ForwardingOs::GetProcessMemoryInfo(process, counters, size);
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

} // namespace reliability
