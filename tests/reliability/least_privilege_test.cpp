// Least privilege, checked when this file compiles: the system layer has no
// call that writes to, or takes control of, another process, and the one set
// of rights the viewer asks for is query information and read memory. (Every
// OpenProcess the operations make is checked for it in the fault sweep.)

#include "system/bas_enum_procs.h"
#include "system/os.h"
#include "system/windows_os.h"

namespace reliability {

namespace {

template <typename Layer>
concept ActsOnOtherProcesses = (
    requires { &Layer::WriteProcessMemory; } || requires { &Layer::VirtualProtectEx; } ||
    requires { &Layer::VirtualAllocEx; } || requires { &Layer::CreateRemoteThread; } ||
    requires { &Layer::CreateRemoteThreadEx; } || requires { &Layer::QueueUserAPC; } ||
    requires { &Layer::SetThreadContext; } || requires { &Layer::DuplicateHandle; } ||
    requires { &Layer::TerminateProcess; } || requires { &Layer::SetPriorityClass; });

// The check itself can see a method: a layer with one is caught.
struct WritingLayer {
    BOOL WriteProcessMemory(HANDLE, LPVOID, LPCVOID, SIZE_T, SIZE_T*);
};
static_assert(ActsOnOtherProcesses<WritingLayer>);

static_assert(!ActsOnOtherProcesses<sys::Os>);
static_assert(!ActsOnOtherProcesses<sys::WindowsOs>);
static_assert(basEnumProcs::kProcessQueryAccess == (PROCESS_QUERY_INFORMATION | PROCESS_VM_READ));
static_assert(basEnumProcs::kProcessQueryAccess == 0x410);

} // namespace

} // namespace reliability
