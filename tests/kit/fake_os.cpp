#include "tests/kit/fake_os.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace fake {

namespace {

template <typename T> uint64_t AsAddress(T value) {
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(value));
}

// A scripted address as the build's pointers hold it.
uint64_t PointerWide(uint64_t address) { return static_cast<uintptr_t>(address); }

} // namespace

FakeOs::FakeOs() {
    messages[0] = "The operation completed successfully.\r\n";
    messages[2] = "File not found.\r\n";
    messages[5] = "Access denied.\r\n";
    messages[6] = "Invalid handle.\r\n";
    messages[87] = "Invalid parameter.\r\n";
    messages[299] =
        "Only part of a ReadProcessMemory or WriteProcessMemory request was completed.\r\n";
    messages[1813] = "The specified resource type cannot be found in the image file.\r\n";
}

const std::set<std::string>& KnownCalls() {
    static const std::set<std::string> known{"AdjustTokenPrivileges",
                                             "CloseClipboard",
                                             "CloseHandle",
                                             "CreateProcessA",
                                             "CreateToolhelp32Snapshot",
                                             "EmptyClipboard",
                                             "EnumProcessModules",
                                             "EnumProcessModulesEx",
                                             "EnumProcesses",
                                             "FileTimeToLocalFileTime",
                                             "FileTimeToSystemTime",
                                             "FormatMessageA",
                                             "GetDateFormatA",
                                             "GetFileAttributesExA",
                                             "GetFileVersionInfoA",
                                             "GetFileVersionInfoSizeA",
                                             "GetLocaleInfoA",
                                             "GetModuleBaseNameA",
                                             "GetModuleFileNameA",
                                             "GetModuleFileNameExA",
                                             "GetModuleInformation",
                                             "GetNativeSystemInfo",
                                             "GetPriorityClass",
                                             "GetProcessMemoryInfo",
                                             "GetSystemInfo",
                                             "GetTimeFormatA",
                                             "GlobalAlloc",
                                             "GlobalFree",
                                             "GlobalLock",
                                             "GlobalUnlock",
                                             "IsWow64Process",
                                             "LookupPrivilegeValueA",
                                             "MessageBoxA",
                                             "NtQueryInformationProcess",
                                             "NtQuerySystemInformation",
                                             "OpenClipboard",
                                             "OpenProcess",
                                             "OpenProcessToken",
                                             "Process32First",
                                             "Process32Next",
                                             "QueryFullProcessImageNameA",
                                             "ReadProcessMemory",
                                             "SetClipboardData",
                                             "ShellExecuteA",
                                             "VerQueryValueA",
                                             "VirtualQueryEx"};
    return known;
}

// A misspelt name would script nothing, and the test would pass on a fault.
void FakeOs::RefuseUnknown(const std::string& call) {
    if (KnownCalls().count(call) == 0) {
        throw std::invalid_argument("the fake system has no call named " + call);
    }
}

void FakeOs::Fail(const std::string& call, DWORD error, int onCall) {
    RefuseUnknown(call);
    failures_.insert({call, Failure{error, onCall}});
}

void FakeOs::Before(const std::string& call, std::function<void()> action) {
    RefuseUnknown(call);
    before_[call] = std::move(action);
}

void FakeOs::ResetCounts() {
    calls.clear();
    enumProcessesSizes.clear();
    enumModulesSizes.clear();
    moduleInformationLengths.clear();
    openAccessMasks.clear();
    messageBoxes.clear();
    shellCalls.clear();
    opened = closed = badCloses = 0;
}

bool FakeOs::Enter(const std::string& call) {
    RefuseUnknown(call);
    int number = ++calls[call];
    auto action = before_.find(call);
    if (action != before_.end()) {
        action->second();
    }
    auto [first, last] = failures_.equal_range(call);
    for (auto failure = first; failure != last; ++failure) {
        if (failure->second.onCall == 0 || failure->second.onCall == number) {
            lastError_ = failure->second.error;
            return true;
        }
    }
    // What a call that succeeds leaves behind is no error: code that reads the last
    // error one call too late reads this and fails its test.
    lastError_ = kPoisonedLastError;
    return false;
}

Process* FakeOs::ProcessOf(HANDLE handle) {
    auto open = openHandles_.find(handle);
    if (open == openHandles_.end()) {
        return nullptr;
    }
    auto process = processes.find(open->second);
    return process == processes.end() ? nullptr : &process->second;
}

Process* FakeOs::ReadableProcessOf(HANDLE handle) {
    if (limitedHandles_.count(handle) != 0) {
        lastError_ = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    return ProcessOf(handle);
}

const Module* FakeOs::ModuleOf(HANDLE process, HMODULE module) {
    Process* owner = ReadableProcessOf(process);
    if (owner == nullptr) {
        return nullptr;
    }
    for (const Module& candidate : owner->modules) {
        if (PointerWide(candidate.base) == AsAddress(module)) {
            return &candidate;
        }
    }
    return nullptr;
}

// Copies like the A functions: truncated to the buffer, NUL-terminated when it fits.
DWORD FakeOs::CopyName(const std::string& text, LPSTR buffer, DWORD size) {
    if (size == 0) {
        return 0;
    }
    DWORD length = static_cast<DWORD>(std::min<size_t>(text.size(), size));
    std::memcpy(buffer, text.data(), length);
    if (length < size) {
        buffer[length] = '\0';
    }
    return length;
}

// As GetDateFormatA and GetTimeFormatA answer, with three fields in `format`: the
// length with the NUL, and with no buffer only that.
int FakeOs::FormatDateOrTime(const char* call, const char* format, unsigned first, unsigned second,
                             unsigned third, LPSTR buffer, int size) {
    if (Enter(call)) {
        return 0;
    }
    char text[32];
    std::snprintf(text, sizeof text, format, first, second, third);
    if (size == 0) {
        return static_cast<int>(std::strlen(text)) + 1;
    }
    return static_cast<int>(CopyName(text, buffer, static_cast<DWORD>(size))) + 1;
}

HANDLE FakeOs::OpenProcess(DWORD access, BOOL, DWORD pid) {
    openAccessMasks.push_back(access);
    if (Enter("OpenProcess")) {
        return nullptr;
    }
    Process* process = Find(processes, pid, ERROR_INVALID_PARAMETER);
    if (process == nullptr) {
        return nullptr;
    }
    bool limited = access == PROCESS_QUERY_LIMITED_INFORMATION;
    if (process->openError != 0 && !(limited && process->limitedOpenGranted)) {
        lastError_ = process->openError;
        return nullptr;
    }
    if (debugPrivilegeEnabled) {
        ++opensWithDebugPrivilege;
    }
    HANDLE handle = NewHandle(pid);
    if (limited) {
        limitedHandles_.insert(handle);
    }
    return handle;
}

HANDLE FakeOs::NewHandle(DWORD pid, bool counted) {
    auto handle = reinterpret_cast<HANDLE>(nextHandle_);
    nextHandle_ += 4;
    openHandles_[handle] = pid;
    if (counted) {
        ++opened;
    } else {
        uncounted_.insert(handle);
    }
    return handle;
}

BOOL FakeOs::CloseHandle(HANDLE handle) {
    bool fails = Enter("CloseHandle");
    limitedHandles_.erase(handle);
    snapshots_.erase(handle);
    if (openHandles_.erase(handle) == 0) {
        ++badCloses;
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    closed += uncounted_.erase(handle) == 0 ? 1 : 0;
    return fails ? FALSE : TRUE;
}

DWORD FakeOs::GetPriorityClass(HANDLE handle) {
    if (Enter("GetPriorityClass")) {
        return 0;
    }
    Process* process = ProcessOf(handle);
    if (process == nullptr) {
        lastError_ = ERROR_INVALID_HANDLE;
        return 0;
    }
    return process->priority;
}

SIZE_T FakeOs::VirtualQueryEx(HANDLE handle, LPCVOID address, MEMORY_BASIC_INFORMATION* info,
                              SIZE_T length) {
    if (Enter("VirtualQueryEx")) {
        return 0;
    }
    Process* process = ReadableProcessOf(handle);
    if (process == nullptr || length < sizeof *info) {
        lastError_ = process == nullptr ? ERROR_INVALID_HANDLE : ERROR_BAD_LENGTH;
        return 0;
    }
    uint64_t at = AsAddress(address);
    auto contains = [at](const MEMORY_BASIC_INFORMATION& region) {
        uint64_t base = AsAddress(region.BaseAddress);
        return at >= base && at < base + region.RegionSize;
    };
    // Scripts list regions in address order, so the benchmark's 50,000 regions are
    // found by halving; a script out of order still gets the plain search.
    auto after = std::upper_bound(process->regions.begin(), process->regions.end(), at,
                                  [](uint64_t address, const MEMORY_BASIC_INFORMATION& region) {
                                      return address < AsAddress(region.BaseAddress);
                                  });
    auto found = after != process->regions.begin() && contains(*std::prev(after))
                     ? std::prev(after)
                     : std::find_if(process->regions.begin(), process->regions.end(), contains);
    if (found != process->regions.end()) {
        *info = *found;
        return sizeof *info;
    }
    lastError_ = ERROR_INVALID_PARAMETER;
    return 0;
}

DWORD FakeOs::GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    if (Enter("GetModuleFileNameA") || module != nullptr) {
        if (module != nullptr) {
            lastError_ = ERROR_MOD_NOT_FOUND;
        }
        return 0;
    }
    return CopyName(ownExePath, buffer, size);
}

DWORD FakeOs::FormatMessageA(DWORD, DWORD code, DWORD, LPSTR buffer, DWORD size) {
    if (Enter("FormatMessageA")) {
        return 0;
    }
    const std::string* message = Find(messages, code, ERROR_MR_MID_NOT_FOUND);
    if (message == nullptr) {
        return 0;
    }
    if (message->size() >= size) {
        lastError_ = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    return CopyName(*message, buffer, size);
}

int FakeOs::GetLocaleInfoA(LCID, LCTYPE type, LPSTR buffer, int size) {
    if (Enter("GetLocaleInfoA")) {
        return 0;
    }
    const std::string& text = type == LOCALE_STHOUSAND ? thousandsSeparator : grouping;
    if (static_cast<int>(text.size()) >= size) {
        lastError_ = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    CopyName(text, buffer, static_cast<DWORD>(size));
    return static_cast<int>(text.size()) + 1;
}

BOOL FakeOs::GetFileAttributesExA(LPCSTR path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    if (Enter("GetFileAttributesExA")) {
        return FALSE;
    }
    const VersionFile* file = Find(versionFiles, path, ERROR_FILE_NOT_FOUND);
    if (file == nullptr) {
        return FALSE;
    }
    *data = WIN32_FILE_ATTRIBUTE_DATA{};
    data->ftLastWriteTime = file->lastWrite;
    return TRUE;
}

BOOL FakeOs::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
    if (Enter("FileTimeToLocalFileTime")) {
        return FALSE;
    }
    *local = *utc; // the fake lives in UTC
    return TRUE;
}

BOOL FakeOs::FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) {
    if (Enter("FileTimeToSystemTime")) {
        return FALSE;
    }
    return ::FileTimeToSystemTime(time, out);
}

int FakeOs::GetDateFormatA(LCID, DWORD, const SYSTEMTIME* time, LPCSTR, LPSTR buffer, int size) {
    return FormatDateOrTime("GetDateFormatA", "%02u/%02u/%04u", time->wMonth, time->wDay,
                            time->wYear, buffer, size);
}

int FakeOs::GetTimeFormatA(LCID, DWORD, const SYSTEMTIME* time, LPCSTR, LPSTR buffer, int size) {
    return FormatDateOrTime("GetTimeFormatA", "%02u:%02u:%02u", time->wHour, time->wMinute,
                            time->wSecond, buffer, size);
}

BOOL FakeOs::EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) {
    enumProcessesSizes.push_back(bytes);
    if (Enter("EnumProcesses")) {
        return FALSE;
    }
    std::vector<DWORD> order = processOrder;
    if (order.empty()) {
        for (const auto& entry : processes) {
            order.push_back(entry.first);
        }
    }
    // Like the system: as many ids as fit, and the bytes written.
    size_t fit = std::min<size_t>(order.size(), bytes / sizeof(DWORD));
    std::copy_n(order.begin(), fit, ids);
    *bytesReturned = static_cast<DWORD>(fit * sizeof(DWORD));
    return TRUE;
}

BOOL FakeOs::EnumProcessModules(HANDLE handle, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded) {
    enumModulesSizes.push_back(bytes);
    if (Enter("EnumProcessModules")) {
        return FALSE;
    }
    return ListModules(handle, modules, bytes, bytesNeeded);
}

BOOL FakeOs::EnumProcessModulesEx(HANDLE handle, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded,
                                  DWORD filter) {
    enumModulesSizes.push_back(bytes);
    enumModulesFilters.push_back(filter);
    if (Enter("EnumProcessModulesEx")) {
        return FALSE;
    }
    return ListModules(handle, modules, bytes, bytesNeeded);
}

BOOL FakeOs::ListModules(HANDLE handle, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded) {
    if (limitedHandles_.count(handle) != 0) {
        lastError_ = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    Process* process = ProcessOf(handle);
    if (process == nullptr) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (process->modulesError != 0) {
        lastError_ = process->modulesError;
        return FALSE;
    }
    std::vector<uint64_t> handles = process->moduleHandles;
    if (handles.empty()) {
        for (const Module& module : process->modules) {
            handles.push_back(module.base);
        }
    }
    size_t fit = std::min<size_t>(handles.size(), bytes / sizeof(HMODULE));
    for (size_t i = 0; i < fit; ++i) {
        modules[i] = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(handles[i]));
    }
    *bytesNeeded = static_cast<DWORD>(handles.size() * sizeof(HMODULE));
    return TRUE;
}

void FakeOs::GetSystemInfo(SYSTEM_INFO* info) {
    Enter("GetSystemInfo");
    FillSystemInfo(info);
}

void FakeOs::GetNativeSystemInfo(SYSTEM_INFO* info) {
    Enter("GetNativeSystemInfo");
    FillSystemInfo(info);
    info->wProcessorArchitecture = nativeArchitecture;
}

void FakeOs::FillSystemInfo(SYSTEM_INFO* info) const {
    *info = SYSTEM_INFO{};
    info->dwPageSize = 4096;
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
    info->lpMaximumApplicationAddress =
        reinterpret_cast<LPVOID>(static_cast<uintptr_t>(highestApplicationAddress));
    info->dwAllocationGranularity = 0x10000;
}

BOOL FakeOs::IsWow64Process(HANDLE handle, BOOL* wow64) {
    if (Enter("IsWow64Process")) {
        return FALSE;
    }
    if (handle == ::GetCurrentProcess()) {
        *wow64 = selfWow64 ? TRUE : FALSE;
        return TRUE;
    }
    Process* process = ProcessOf(handle);
    if (process == nullptr) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    *wow64 = !process->is64Bit && nativeArchitecture != PROCESSOR_ARCHITECTURE_INTEL ? TRUE : FALSE;
    return TRUE;
}

BOOL FakeOs::ReadProcessMemory(HANDLE handle, LPCVOID address, LPVOID buffer, SIZE_T size,
                               SIZE_T* bytesRead) {
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    if (Enter("ReadProcessMemory")) {
        return FALSE;
    }
    Process* process = ReadableProcessOf(handle);
    if (process == nullptr) {
        return FALSE;
    }
    auto loader = loaders_.find(openHandles_[handle]);
    if (process->modulesError != 0 || loader == loaders_.end() ||
        !loader->second.Read(AsAddress(address), buffer, size)) {
        lastError_ = ERROR_PARTIAL_COPY;
        return FALSE;
    }
    if (bytesRead != nullptr) {
        *bytesRead = size;
    }
    return TRUE;
}

BOOL FakeOs::CreateProcessA(LPCSTR application, LPSTR commandLine, BOOL, DWORD, LPCSTR directory,
                            STARTUPINFOA* startup, PROCESS_INFORMATION* information) {
    int show = startup != nullptr && (startup->dwFlags & STARTF_USESHOWWINDOW) != 0
                   ? startup->wShowWindow
                   : -1;
    processStarts.push_back({application != nullptr ? application : "",
                             commandLine != nullptr ? commandLine : "", directory != nullptr,
                             show});
    if (Enter("CreateProcessA")) {
        return FALSE;
    }
    // Two handles the caller must close, like the system's.
    *information = PROCESS_INFORMATION{};
    information->hProcess = NewHandle(0);
    information->hThread = NewHandle(0);
    return TRUE;
}

HANDLE FakeOs::CreateToolhelp32Snapshot(DWORD flags, DWORD) {
    if (Enter("CreateToolhelp32Snapshot")) {
        return INVALID_HANDLE_VALUE;
    }
    if ((flags & TH32CS_SNAPPROCESS) == 0) {
        lastError_ = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    std::vector<PROCESSENTRY32> entries;
    for (const auto& [pid, process] : processes) {
        if (!process.exeName.empty()) {
            PROCESSENTRY32 entry{};
            entry.th32ProcessID = pid;
            CopyName(process.exeName, entry.szExeFile, sizeof entry.szExeFile);
            entries.push_back(entry);
        }
    }
    HANDLE handle = NewHandle(0, false);
    snapshots_[handle] = {std::move(entries), 0};
    return handle;
}

BOOL FakeOs::Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
    if (Enter("Process32First")) {
        return FALSE;
    }
    auto found = snapshots_.find(snapshot);
    if (found != snapshots_.end()) {
        found->second.next = 0;
    }
    return NextEntry(snapshot, entry);
}

BOOL FakeOs::Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
    return Enter("Process32Next") ? FALSE : NextEntry(snapshot, entry);
}

BOOL FakeOs::NextEntry(HANDLE snapshot, PROCESSENTRY32* entry) {
    auto found = snapshots_.find(snapshot);
    if (found == snapshots_.end() || entry->dwSize != sizeof *entry) {
        lastError_ = found == snapshots_.end() ? ERROR_INVALID_HANDLE : ERROR_BAD_LENGTH;
        return FALSE;
    }
    Snapshot& listing = found->second;
    if (listing.next >= listing.entries.size()) {
        lastError_ = ERROR_NO_MORE_FILES;
        return FALSE;
    }
    *entry = listing.entries[listing.next++];
    entry->dwSize = sizeof *entry;
    return TRUE;
}

BOOL FakeOs::OpenProcessToken(HANDLE, DWORD, HANDLE* token) {
    if (Enter("OpenProcessToken")) {
        return FALSE;
    }
    *token = token_ = NewHandle(0, false);
    return TRUE;
}

BOOL FakeOs::LookupPrivilegeValueA(LPCSTR, LPCSTR name, LUID* luid) {
    if (Enter("LookupPrivilegeValueA")) {
        return FALSE;
    }
    if (std::strcmp(name, SE_DEBUG_NAME) != 0) {
        lastError_ = ERROR_NO_SUCH_PRIVILEGE;
        return FALSE;
    }
    *luid = LUID{kDebugPrivilegeLuid, 0};
    return TRUE;
}

// As the system does: the previous state of what changed only, and a token that
// lacks a privilege succeeds with ERROR_NOT_ALL_ASSIGNED.
BOOL FakeOs::AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState,
                                   DWORD length, TOKEN_PRIVILEGES* previousState,
                                   DWORD* returnLength) {
    ++privilegeAdjustments;
    if (Enter("AdjustTokenPrivileges")) {
        return FALSE;
    }
    if (token == nullptr || token != token_ || openHandles_.count(token) == 0 || disableAll ||
        newState->PrivilegeCount != 1 ||
        newState->Privileges[0].Luid.LowPart != kDebugPrivilegeLuid ||
        (previousState != nullptr && length < sizeof(TOKEN_PRIVILEGES))) {
        lastError_ = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    bool enable = (newState->Privileges[0].Attributes & SE_PRIVILEGE_ENABLED) != 0;
    bool changes = debugPrivilegeHeld && enable != debugPrivilegeEnabled;
    if (previousState != nullptr) {
        *previousState = TOKEN_PRIVILEGES{};
        if (changes) {
            previousState->PrivilegeCount = 1;
            previousState->Privileges[0] = {newState->Privileges[0].Luid,
                                            debugPrivilegeEnabled ? SE_PRIVILEGE_ENABLED : 0u};
        }
        if (returnLength != nullptr) {
            *returnLength = sizeof(TOKEN_PRIVILEGES);
        }
    }
    if (changes) {
        debugPrivilegeEnabled = enable;
    }
    lastError_ = debugPrivilegeHeld ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED;
    return TRUE;
}

LONG FakeOs::NtQuerySystemInformation(ULONG infoClass, PVOID buffer, ULONG length,
                                      ULONG* returnLength) {
    moduleInformationLengths.push_back(length);
    moduleQueriesWithDebugPrivilege += debugPrivilegeEnabled ? 1 : 0;
    processHandlesOpenAtModuleQuery = OpenHandles() - static_cast<int>(uncounted_.size());
    if (Enter("NtQuerySystemInformation")) {
        return static_cast<LONG>(kScriptedStatus | lastError_);
    }
    if (infoClass != sys::kSystemModuleInformation) {
        return kStatusInvalidInfoClass;
    }
    ULONG needed =
        static_cast<ULONG>(sys::kSystemModulesHeader + drivers.size() * sizeof(sys::SystemModule));
    if (returnLength != nullptr) {
        *returnLength = needed;
    }
    if (length < needed) {
        return sys::kStatusInfoLengthMismatch;
    }
    auto* answer = static_cast<sys::SystemModules*>(buffer);
    answer->numberOfModules = static_cast<ULONG>(drivers.size());
    for (size_t k = 0; k < drivers.size(); ++k) {
        answer->modules[k] = SystemModuleOf(drivers[k]);
    }
    return 0;
}

sys::SystemModule FakeOs::SystemModuleOf(const Driver& driver) const {
    sys::SystemModule module{};
    bool hidden = driverAddressesHidden && !debugPrivilegeEnabled;
    module.imageBase = reinterpret_cast<PVOID>(static_cast<uintptr_t>(hidden ? 0 : driver.base));
    std::string field = driver.path.substr(0, sizeof module.fullPathName);
    std::memcpy(module.fullPathName, field.data(), field.size());
    size_t slash = field.find_last_of('\\');
    module.offsetToFileName = static_cast<USHORT>(driver.nameOffset >= 0       ? driver.nameOffset
                                                  : slash == std::string::npos ? 0
                                                                               : slash + 1);
    return module;
}

ULONG FakeOs::RtlNtStatusToDosError(LONG status) {
    if ((static_cast<ULONG>(status) & kScriptedStatus) == kScriptedStatus) {
        return static_cast<ULONG>(status) & 0xFFFF;
    }
    switch (static_cast<ULONG>(status)) {
    case 0xC0000022: // STATUS_ACCESS_DENIED
        return ERROR_ACCESS_DENIED;
    case 0xC0000004: // STATUS_INFO_LENGTH_MISMATCH
        return ERROR_BAD_LENGTH;
    case 0xC0000003: // STATUS_INVALID_INFO_CLASS
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_MR_MID_NOT_FOUND;
    }
}

// The basic information names the PEB of the caller's own width; a WOW64 process's
// 32-bit one is asked for apart, as the 64-bit edition does.
LONG FakeOs::NtQueryInformationProcess(HANDLE handle, ULONG infoClass, PVOID buffer, ULONG length,
                                       ULONG* returnLength) {
    if (Enter("NtQueryInformationProcess")) {
        return static_cast<LONG>(kScriptedStatus | lastError_);
    }
    Process* process = ProcessOf(handle);
    if (process == nullptr) {
        return static_cast<LONG>(0xC0000008); // STATUS_INVALID_HANDLE
    }
    constexpr bool kWideBuild = sizeof(void*) == 8;
    bool wide = kWideBuild && process->is64Bit;
    uint64_t peb = LoaderOf(openHandles_[handle], *process).Peb();
    if (infoClass == sys::kProcessBasicInformation &&
        length == sizeof(sys::ProcessBasicInformation)) {
        auto* basic = static_cast<sys::ProcessBasicInformation*>(buffer);
        *basic = sys::ProcessBasicInformation{};
        // A WOW64 process's 64-bit PEB, which lists the WOW64 layer, is not scripted.
        uint64_t own = wide == kWideBuild ? peb : 0x7FFDF000;
        basic->pebBaseAddress = reinterpret_cast<PVOID>(static_cast<uintptr_t>(own));
    } else if (infoClass == sys::kProcessWow64Information && length == sizeof(ULONG_PTR)) {
        *static_cast<ULONG_PTR*>(buffer) = kWideBuild && !wide ? static_cast<ULONG_PTR>(peb) : 0;
    } else {
        return static_cast<LONG>(0xC0000004); // STATUS_INFO_LENGTH_MISMATCH
    }
    if (returnLength != nullptr) {
        *returnLength = length;
    }
    return 0;
}

const LoaderImage& FakeOs::LoaderOf(DWORD pid, const Process& process) {
    std::vector<LoaderModule> listed;
    LoaderState state = process.loader;
    std::vector<uint64_t> order = process.moduleHandles;
    if (order.empty()) {
        for (const Module& module : process.modules) {
            order.push_back(module.base);
        }
    }
    std::map<uint64_t, const Module*> byBase;
    for (const Module& module : process.modules) {
        byBase.emplace(PointerWide(module.base), &module);
    }
    for (uint64_t handle : order) {
        auto named = byBase.find(PointerWide(handle));
        if (handle == 0 || named == byBase.end()) {
            state = LoaderState::Absent;
            break;
        }
        const Module& module = *named->second;
        listed.push_back({module.base, module.size, module.name, module.path});
    }
    return loaders_[pid] = LoaderImage(listed, sizeof(void*) == 8 && process.is64Bit, state);
}

BOOL FakeOs::QueryFullProcessImageNameA(HANDLE handle, DWORD, LPSTR buffer, DWORD* size) {
    if (Enter("QueryFullProcessImageNameA")) {
        return FALSE;
    }
    Process* process = ProcessOf(handle);
    if (process == nullptr || process->imagePath.empty()) {
        lastError_ = process == nullptr ? ERROR_INVALID_HANDLE : ERROR_GEN_FAILURE;
        return FALSE;
    }
    if (process->imagePath.size() >= *size) {
        lastError_ = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    *size = CopyName(process->imagePath, buffer, *size);
    return TRUE;
}

DWORD FakeOs::CopyModuleText(const char* call, HANDLE process, HMODULE module,
                             std::string Module::*text, LPSTR buffer, DWORD size) {
    if (Enter(call)) {
        return 0;
    }
    const Module* found = ModuleOf(process, module);
    if (found == nullptr) {
        lastError_ = ERROR_INVALID_HANDLE;
        return 0;
    }
    return CopyName(found->*text, buffer, size);
}

DWORD FakeOs::GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) {
    return CopyModuleText("GetModuleBaseNameA", process, module, &Module::name, buffer, size);
}

DWORD FakeOs::GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) {
    return CopyModuleText("GetModuleFileNameExA", process, module, &Module::path, buffer, size);
}

BOOL FakeOs::GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD size) {
    if (Enter("GetModuleInformation")) {
        return FALSE;
    }
    const Module* found = ModuleOf(process, module);
    if (found == nullptr || size < sizeof *info) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    info->lpBaseOfDll = reinterpret_cast<LPVOID>(static_cast<uintptr_t>(found->base));
    info->SizeOfImage = found->size;
    info->EntryPoint = nullptr;
    return TRUE;
}

BOOL FakeOs::GetProcessMemoryInfo(HANDLE handle, PROCESS_MEMORY_COUNTERS* counters, DWORD size) {
    if (Enter("GetProcessMemoryInfo")) {
        return FALSE;
    }
    Process* process = ProcessOf(handle);
    if (process == nullptr || size < sizeof *counters) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    *counters = process->counters;
    counters->cb = sizeof *counters;
    return TRUE;
}

DWORD FakeOs::GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle) {
    if (handle != nullptr) {
        *handle = 0;
    }
    if (Enter("GetFileVersionInfoSizeA")) {
        return 0;
    }
    const VersionFile* file = Find(versionFiles, path, ERROR_FILE_NOT_FOUND);
    if (file == nullptr) {
        return 0;
    }
    if (file->data.empty()) {
        lastError_ = ERROR_RESOURCE_TYPE_NOT_FOUND;
        return 0;
    }
    return static_cast<DWORD>(file->data.size());
}

BOOL FakeOs::GetFileVersionInfoA(LPCSTR path, DWORD, DWORD size, LPVOID data) {
    if (Enter("GetFileVersionInfoA")) {
        return FALSE;
    }
    const VersionFile* file = Find(versionFiles, path, ERROR_FILE_NOT_FOUND);
    if (file == nullptr) {
        return FALSE;
    }
    std::memcpy(data, file->data.data(), std::min<size_t>(size, file->data.size()));
    lastVersionFile_ = file;
    lastVersionBlock_ = static_cast<const BYTE*>(data);
    return TRUE;
}

BOOL FakeOs::VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, UINT* length) {
    if (Enter("VerQueryValueA")) {
        return FALSE;
    }
    if (lastVersionFile_ == nullptr || block != lastVersionBlock_) {
        lastError_ = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    for (const auto& [name, found] : lastVersionFile_->values) {
        if (::lstrcmpiA(name.c_str(), subBlock) == 0) {
            *value = const_cast<BYTE*>(lastVersionBlock_) + found.offset;
            *length = found.length;
            return TRUE;
        }
    }
    lastError_ = ERROR_RESOURCE_TYPE_NOT_FOUND;
    return FALSE;
}

int FakeOs::MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    messageBoxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    if (Enter("MessageBoxA")) {
        return 0;
    }
    if (messageBoxAnswers.empty()) {
        return IDOK;
    }
    int answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
    return answer;
}

HINSTANCE FakeOs::ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                LPCSTR directory, INT show) {
    shellCalls.push_back({owner, verb ? verb : "", file ? file : "", parameters != nullptr,
                          directory != nullptr, show});
    if (Enter("ShellExecuteA")) {
        return reinterpret_cast<HINSTANCE>(SE_ERR_NOASSOC);
    }
    return reinterpret_cast<HINSTANCE>(33);
}

BOOL FakeOs::OpenClipboard(HWND) {
    if (Enter("OpenClipboard") || clipboardOpen_) {
        if (clipboardOpen_) {
            lastError_ = ERROR_ACCESS_DENIED;
        }
        return FALSE;
    }
    clipboardOpen_ = true;
    return TRUE;
}

BOOL FakeOs::EmptyClipboard() {
    if (Enter("EmptyClipboard") || !clipboardOpen_) {
        return FALSE;
    }
    clipboardText.clear();
    clipboardHasText = false;
    clipboardUnicode.clear();
    return TRUE;
}

HANDLE FakeOs::SetClipboardData(UINT format, HANDLE data) {
    if (Enter("SetClipboardData")) {
        return nullptr;
    }
    auto memory = globals_.find(static_cast<HGLOBAL>(data));
    if (!clipboardOpen_ || (format != CF_TEXT && format != CF_UNICODETEXT) ||
        memory == globals_.end()) {
        lastError_ = !clipboardOpen_ ? ERROR_CLIPBOARD_NOT_OPEN : ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    const std::vector<char>& bytes = memory->second;
    if (format == CF_TEXT) {
        clipboardText.assign(bytes.data(), ::strnlen(bytes.data(), bytes.size()));
        clipboardHasText = true;
    } else {
        std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
        std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
        clipboardUnicode = wide.substr(0, wide.find(L'\0'));
    }
    globals_.erase(memory); // the clipboard owns it now
    return data;
}

BOOL FakeOs::CloseClipboard() {
    Enter("CloseClipboard");
    if (!clipboardOpen_) {
        lastError_ = ERROR_CLIPBOARD_NOT_OPEN;
        return FALSE;
    }
    clipboardOpen_ = false;
    return TRUE;
}

HGLOBAL FakeOs::GlobalAlloc(UINT, SIZE_T bytes) {
    if (Enter("GlobalAlloc")) {
        return nullptr;
    }
    auto memory = reinterpret_cast<HGLOBAL>(nextGlobal_);
    nextGlobal_ += 16;
    globals_[memory] = std::vector<char>(bytes, '\0');
    return memory;
}

LPVOID FakeOs::GlobalLock(HGLOBAL memory) {
    if (Enter("GlobalLock")) {
        return nullptr;
    }
    auto found = globals_.find(memory);
    return found == globals_.end() ? nullptr : found->second.data();
}

BOOL FakeOs::GlobalUnlock(HGLOBAL memory) {
    Enter("GlobalUnlock");
    (void)memory;
    lastError_ = NO_ERROR; // the lock count reached 0: FALSE with no error
    return FALSE;
}

HGLOBAL FakeOs::GlobalFree(HGLOBAL memory) {
    Enter("GlobalFree");
    return globals_.erase(memory) != 0 ? nullptr : memory;
}

void VersionFile::Put(const std::string& subBlock, size_t offset, const void* bytes, size_t size,
                      UINT length) {
    std::memcpy(data.data() + offset, bytes, size);
    values[subBlock] = {offset, length};
}

VersionFile UsEnglishVersionFile(size_t size, const VS_FIXEDFILEINFO& fixed, size_t translationAt) {
    VersionFile file;
    file.data.assign(size, 0);
    file.Put("\\", 0, &fixed, sizeof fixed, sizeof fixed);
    file.Put("\\VarFileInfo\\Translation", translationAt, "\x09\x04\xB0\x04", 4, 4);
    return file;
}

Process MakeProcess(const std::string& name, const std::string& path, DWORD priority) {
    Process process;
    process.priority = priority;
    process.modules.push_back(Module{0x400000, 0x1A000, name, path});
    process.imagePath = path;
    return process;
}

Process MakeProcessWithoutModules(const std::string& imagePath, DWORD modulesError) {
    Process process;
    process.imagePath = imagePath;
    process.modulesError = modulesError;
    process.counters.cb = sizeof process.counters;
    process.counters.WorkingSetSize = 4 << 20;
    process.counters.PagefileUsage = 1 << 20;
    return process;
}

MEMORY_BASIC_INFORMATION Region(uint64_t base, uint64_t size, DWORD state, DWORD type,
                                DWORD protect) {
    MEMORY_BASIC_INFORMATION region{};
    region.BaseAddress = reinterpret_cast<PVOID>(static_cast<uintptr_t>(base));
    region.AllocationBase = region.BaseAddress;
    region.RegionSize = static_cast<SIZE_T>(size);
    region.State = state;
    region.Type = type;
    region.Protect = protect;
    return region;
}

} // namespace fake
