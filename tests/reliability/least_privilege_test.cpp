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
concept WritesMemory = requires {
    &Layer::WriteProcessMemory;
};
template <typename Layer>
concept ChangesProtection = requires {
    &Layer::VirtualProtectEx;
};
template <typename Layer>
concept AllocatesMemory = requires {
    &Layer::VirtualAllocEx;
};
template <typename Layer>
concept StartsThreads = requires {
    &Layer::CreateRemoteThread;
};
template <typename Layer>
concept StartsThreadsEx = requires {
    &Layer::CreateRemoteThreadEx;
};
template <typename Layer>
concept QueuesCalls = requires {
    &Layer::QueueUserAPC;
};
template <typename Layer>
concept SetsThreadContext = requires {
    &Layer::SetThreadContext;
};
template <typename Layer>
concept DuplicatesHandles = requires {
    &Layer::DuplicateHandle;
};
template <typename Layer>
concept TerminatesProcesses = requires {
    &Layer::TerminateProcess;
};
template <typename Layer>
concept SetsPriority = requires {
    &Layer::SetPriorityClass;
};

template <typename Layer>
concept ActsOnOtherProcesses = WritesMemory<Layer> || ChangesProtection<Layer> ||
    AllocatesMemory<Layer> || StartsThreads<Layer> || StartsThreadsEx<Layer> ||
    QueuesCalls<Layer> || SetsThreadContext<Layer> || DuplicatesHandles<Layer> ||
    TerminatesProcesses<Layer> || SetsPriority<Layer>;

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
