#pragma once
// The helper: this test program started again with --helper. It lays out memory
// the viewer's map must show, then waits until the test program ends (at most
// five minutes) or is ended by it.

#include "tests/blackbox/win32_handles.h"
#include "tests/programs.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace blackbox {

inline constexpr char kHelperFlag[] = "--helper";

// Where the helper's image lies: set by the linker flags of the test program.
inline constexpr uintptr_t kHelperImageBase = 0x400000;
inline constexpr uintptr_t kCommittedBase = 0x20000000;
inline constexpr SIZE_T kCommittedBytes = 0x30000;
inline constexpr uintptr_t kReservedBase = 0x21000000;
inline constexpr SIZE_T kReservedBytes = 0x20000;

// The helper's side: lays out its memory and waits for `parentId` to end.
int RunHelper(DWORD parentId);

// This test program's path and file name; the helper's are the same.
using testkit::OwnExePath;
std::string OwnExeName();

// The test's side: starts a helper and waits until its memory is in place.
class HelperProcess {
public:
    HelperProcess();
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.Get(); }
    // Ends the helper and returns once it is gone.
    void End();

private:
    bool MemoryInPlace() const;

    UniqueHandle process_;
    DWORD id_ = 0;
};

} // namespace blackbox
