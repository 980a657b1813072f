#include "main_window/process_snapshot.h"

#include "system/bas_enum_procs.h"
#include "system/growing_enumeration.h"
#include "system/handles.h"
#include "system/name_query.h"

#include <algorithm>

namespace main_window {

namespace {

std::vector<int32_t> SortedProcessIds(sys::Os& os) {
    auto reply = sys::EnumerateGrowing<DWORD>(os, [&os](DWORD* ids, DWORD bytes, DWORD* written) {
        return os.EnumProcesses(ids, bytes, written) != FALSE;
    });
    if (!reply.succeeded) {
        basEnumProcs::RaiseWinError(os, static_cast<int32_t>(reply.error));
    }
    std::vector<int32_t> ids(reply.entries.begin(), reply.entries.end());
    // Ids are unique, so any sort gives the one ascending (signed) order.
    std::sort(ids.begin(), ids.end());
    return ids;
}

// A process whose loader data this program cannot read (on 64-bit Windows, every
// 64-bit process) still tells the path of its image; Windows before Vista has no
// such call, and the row then stays without a name.
void DescribeByImagePath(sys::Os& os, HANDLE process, std::string& name, std::string& path,
                         std::string& priority) {
    BOOL found = FALSE;
    std::string image = sys::QueryName([&](char* buffer, DWORD size) {
        found = os.QueryFullProcessImageNameA(process, 0, buffer, &size);
    });
    if (!found) {
        return;
    }
    path = image;
    name = path.substr(path.find_last_of('\\') + 1);
    priority = PriorityClassName(os.GetPriorityClass(process));
}

void DescribeProcess(sys::Os& os, int32_t processId, std::string& name, std::string& path,
                     std::string& priority) {
    name = path = SpecialProcessName(processId);
    sys::ProcessHandle process(os, basEnumProcs::OpenProcessQuery(os, processId));
    if (!process) {
        return;
    }
    HMODULE mainModule = nullptr;
    DWORD needed = 0;
    os.EnumProcessModules(process.Get(), &mainModule, sizeof mainModule, &needed);
    if (mainModule == nullptr) {
        return DescribeByImagePath(os, process.Get(), name, path, priority);
    }
    name = sys::QueryName([&](char* buffer, DWORD size) {
        os.GetModuleBaseNameA(process.Get(), mainModule, buffer, size);
    });
    path = sys::QueryName([&](char* buffer, DWORD size) {
        os.GetModuleFileNameExA(process.Get(), mainModule, buffer, size);
    });
    priority = PriorityClassName(os.GetPriorityClass(process.Get()));
}

} // namespace

ProcessSnapshot TakeProcessSnapshot(sys::Os& os) {
    ProcessSnapshot snapshot;
    snapshot.lPIDs = SortedProcessIds(os);
    size_t count = snapshot.lPIDs.size();
    snapshot.lNumProcesses = static_cast<int32_t>(count);
    snapshot.sProcNames.resize(count);
    snapshot.sProcPaths.resize(count);
    snapshot.sProcPriority.resize(count);
    for (size_t i = 0; i < count; ++i) {
        DescribeProcess(os, snapshot.lPIDs[i], snapshot.sProcNames[i], snapshot.sProcPaths[i],
                        snapshot.sProcPriority[i]);
    }
    return snapshot;
}

std::string SpecialProcessName(int32_t processId) {
    switch (processId) {
    case 0:
        return "Idle Process";
    case 2:
        return "System";
    case 28:
        return "csrss.exe (Win32)";
    default:
        return std::string();
    }
}

std::string PriorityClassName(DWORD priorityClass) {
    switch (priorityClass) {
    case NORMAL_PRIORITY_CLASS:
        return "normal";
    case IDLE_PRIORITY_CLASS:
        return "idle";
    case HIGH_PRIORITY_CLASS:
        return "high";
    case REALTIME_PRIORITY_CLASS:
        return "real";
    default:
        return "???";
    }
}

std::string ProcessRowText(int32_t processId, const std::string& name,
                           const std::string& priority) {
    std::string row = std::to_string(processId);
    row.reserve(row.size() + name.size() + priority.size() + 6);
    row += " - ";
    row += name;
    row += " (";
    row += priority;
    row += ')';
    return row;
}

std::vector<std::string> ProcessRows(const ProcessSnapshot& snapshot) {
    std::vector<std::string> rows;
    rows.reserve(snapshot.lPIDs.size());
    for (size_t i = 0; i < snapshot.lPIDs.size(); ++i) {
        rows.push_back(
            ProcessRowText(snapshot.lPIDs[i], snapshot.sProcNames[i], snapshot.sProcPriority[i]));
    }
    return rows;
}

std::string ProcessCountCaption(int32_t count) { return std::to_string(count) + " Processes"; }

} // namespace main_window
