#pragma once
// The system calls the viewer makes for a refresh, a selection and a map, made
// straight and with nothing else: what the system itself costs.

#include "system/os.h"

#include <windows.h>

namespace bench {

// The module information and EnumProcesses, each grown as needed, then for every
// process OpenProcess, EnumProcessModules for one handle, GetModuleBaseNameA,
// GetModuleFileNameExA, GetPriorityClass and CloseHandle. Returns the process count.
int BareRefresh();

// OpenProcess, GetProcessMemoryInfo, EnumProcessModules with a growing buffer,
// for every module GetModuleBaseNameA, GetModuleFileNameExA and
// GetModuleInformation, and CloseHandle. Returns the module count.
int BareSelection(DWORD processId);

// OpenProcess, GetProcessMemoryInfo, one walk of the process's loader list (the
// viewer's own reader, over `os`), and CloseHandle. Returns the module count, 0 when
// the list could not be walked.
int BareLoaderWalk(sys::Os& os, DWORD processId);

// OpenProcess, VirtualQueryEx from 0 until a region reaches the viewer's bound (0x7FFEFFFF,
// or the highest application address in 64 bits), and
// CloseHandle. Returns the region count.
int BareRegionWalk(DWORD processId);

} // namespace bench
