#include "main_window/process_snapshot.h"

#include "system/bas_enum_procs.h"
#include "system/growing_enumeration.h"
#include "system/handles.h"
#include "system/name_query.h"

#include <algorithm>
#include <map>

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

// The exe names of one Tool Help snapshot: every process's, whatever this program
// may open. Taken at most once per refresh, only when a process is otherwise left
// without a name, and closed at once.
class ExeNames {
public:
    explicit ExeNames(sys::Os& os) : os_(os) {}

    std::string Of(int32_t processId) {
        if (!taken_) {
            Take();
        }
        auto found = names_.find(static_cast<DWORD>(processId));
        return found == names_.end() ? std::string() : found->second;
    }

private:
    void Take() {
        taken_ = true;
        HANDLE snapshot = os_.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        sys::KernelHandle owned(os_, snapshot == INVALID_HANDLE_VALUE ? nullptr : snapshot);
        if (!owned) {
            return;
        }
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = os_.Process32First(owned.Get(), &entry); more;
             more = os_.Process32Next(owned.Get(), &entry)) {
            names_[entry.th32ProcessID] =
                basEnumProcs::StripNul(entry.szExeFile, sizeof entry.szExeFile);
        }
    }

    sys::Os& os_;
    bool taken_ = false;
    std::map<DWORD, std::string> names_;
};

struct ProcessFields {
    std::string& name;
    std::string& path;
    std::string& priority;
};

// A process whose loader data this program cannot read (on 64-bit Windows, every
// 64-bit process), or that it may open only for limited queries, still tells the
// path of its image; Windows before Vista has no such call.
bool DescribeByImagePath(sys::Os& os, HANDLE process, ProcessFields fields) {
    BOOL found = FALSE;
    std::string image = sys::QueryName([&](char* buffer, DWORD size) {
        found = os.QueryFullProcessImageNameA(process, 0, buffer, &size);
    });
    if (!found) {
        return false;
    }
    fields.path = image;
    fields.name = image.substr(image.find_last_of('\\') + 1);
    fields.priority = PriorityClassName(os.GetPriorityClass(process));
    return true;
}

// What the open for query and memory read tells: the main module's names, or
// else the image path.
bool DescribeByFullOpen(sys::Os& os, HANDLE process, ProcessFields fields) {
    HMODULE mainModule = nullptr;
    DWORD needed = 0;
    os.EnumProcessModules(process, &mainModule, sizeof mainModule, &needed);
    if (mainModule == nullptr) {
        return DescribeByImagePath(os, process, fields);
    }
    fields.name = sys::QueryName([&](char* buffer, DWORD size) {
        os.GetModuleBaseNameA(process, mainModule, buffer, size);
    });
    fields.path = sys::QueryName([&](char* buffer, DWORD size) {
        os.GetModuleFileNameExA(process, mainModule, buffer, size);
    });
    fields.priority = PriorityClassName(os.GetPriorityClass(process));
    return true;
}

// The first of: the full open, the limited open's image path, the exe name of the
// snapshot, the special name. Path and priority come only from a handle.
void DescribeProcess(sys::Os& os, int32_t processId, ProcessFields fields, ExeNames& exeNames) {
    fields.name = fields.path = SpecialProcessName(processId);
    sys::ProcessHandle full = basEnumProcs::OpenProcessQuery(os, processId);
    if (full && DescribeByFullOpen(os, full.Get(), fields)) {
        return;
    }
    if (!full) {
        sys::ProcessHandle limited = basEnumProcs::OpenProcessLimited(os, processId);
        if (limited && DescribeByImagePath(os, limited.Get(), fields)) {
            return;
        }
    }
    // Since Windows 10 any process may have the id 2 or 28: where the snapshot names
    // one, that name stands, and the special name (also shown as its path) goes.
    if (processId == 0) {
        return;
    }
    if (std::string listed = exeNames.Of(processId); !listed.empty()) {
        fields.name = std::move(listed);
        fields.path.clear();
    }
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
    ExeNames exeNames(os);
    for (size_t i = 0; i < count; ++i) {
        DescribeProcess(os, snapshot.lPIDs[i],
                        {snapshot.sProcNames[i], snapshot.sProcPaths[i], snapshot.sProcPriority[i]},
                        exeNames);
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
