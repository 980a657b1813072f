#pragma once
// The snapshot of running processes: sorted ids with the name, path and
// priority class of each, and the texts the process list shows for it.

#include "system/os.h"

#include <cstdint>
#include <string>
#include <vector>

namespace main_window {

// Parallel arrays: element r is row r of the process list.
struct ProcessSnapshot {
    int32_t lNumProcesses = 0;
    std::vector<int32_t> lPIDs;
    std::vector<std::string> sProcNames;
    std::vector<std::string> sProcPaths;
    std::vector<std::string> sProcPriority;
};

// Enumerates, sorts and describes every process; raises the system error when
// the id enumeration fails.
ProcessSnapshot TakeProcessSnapshot(sys::Os& os);

// "Idle Process", "System" and "csrss.exe (Win32)" for ids 0, 2 and 28.
std::string SpecialProcessName(int32_t processId);

std::string PriorityClassName(DWORD priorityClass);

// "412 - editor.exe (normal)"
std::string ProcessRowText(int32_t processId, const std::string& name, const std::string& priority);

std::vector<std::string> ProcessRows(const ProcessSnapshot& snapshot);

// "57 Processes"; the same wording for 0 and 1.
std::string ProcessCountCaption(int32_t count);

} // namespace main_window
