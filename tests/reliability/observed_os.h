#pragma once
// The real system layer with a watch on it: every call goes to sys::WindowsOs,
// while this layer counts the process handles opened and closed, runs a hook
// before an open or a query of a process (to end it at an exact moment), and
// records message boxes instead of showing them, so no test waits for a click.

#include "system/windows_os.h"
#include "tests/kit/forwarding_os.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace reliability {

class ObservedOs final : public testkit::ForwardingOs {
public:
    ObservedOs() : ForwardingOs(real_) {}

    // Runs before each call named `call`, with that call's number (from 1) and,
    // for OpenProcess, the process id asked for (0 for the other calls). Throws
    // std::invalid_argument for a call this layer does not watch.
    using Hook = std::function<void(int number, DWORD pid)>;
    void Before(const std::string& call, Hook hook);
    void ClearHooks() { hooks_.clear(); }

    int OpenHandles() const { return static_cast<int>(open_.size()); }
    int badCloses = 0;
    std::vector<std::string> messageBoxTexts;

    // Watched.
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD pid) override;
    BOOL CloseHandle(HANDLE handle) override;
    // Not watched, but their handles are closed through CloseHandle too.
    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override;
    BOOL GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters,
                              DWORD size) override;
    SIZE_T VirtualQueryEx(HANDLE process, LPCVOID address, MEMORY_BASIC_INFORMATION* info,
                          SIZE_T length) override;

    // Recorded, never shown or started.
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
    HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                            LPCSTR directory, INT show) override;

private:
    void Enter(const std::string& call, DWORD pid = 0);

    sys::WindowsOs real_; // built after the base, which only keeps a reference to it
    std::map<std::string, Hook> hooks_;
    std::map<std::string, int> calls_;
    std::set<HANDLE> open_;
};

} // namespace reliability
