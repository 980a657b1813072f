#pragma once
// A scripted stand-in for the operating system. Tests describe processes,
// modules, drivers, regions and files, make any call fail with any last-error
// code, and read back what the program asked for.

#include "system/os.h"
#include "tests/kit/fake_loader.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fake {

struct Module {
    uint64_t base = 0; // cut to the pointer width of the build that runs
    uint32_t size = 0;
    std::string name;
    std::string path;
};

struct Process {
    DWORD priority = NORMAL_PRIORITY_CLASS;
    DWORD openError = 0; // non-zero: OpenProcess fails with this code
    PROCESS_MEMORY_COUNTERS counters{};
    // The first module is the main executable, whose name and path the
    // snapshot shows.
    std::vector<Module> modules;
    // Module handles as EnumProcessModules returns them, in this order; a 0
    // entry is a zero handle. Taken from `modules` when left empty.
    std::vector<uint64_t> moduleHandles;
    // Non-zero: EnumProcessModules fails with this code, as it does for a 64-bit
    // process asked from a 32-bit one; its loader's memory cannot be read either.
    DWORD modulesError = 0;
    // The loader's list that ReadProcessMemory serves: `modules`, in the order of
    // `moduleHandles` where they are given. A handle that names no module (a zero
    // one) has no loader entry, so such a process's PEB names no loader data.
    LoaderState loader = LoaderState::Ready;
    // What QueryFullProcessImageNameA reports; it fails while this is empty.
    std::string imagePath;
    // Where openError refuses the open for query and memory read: the open with
    // PROCESS_QUERY_LIMITED_INFORMATION alone still works, as Windows grants it
    // for other users' and most system processes.
    bool limitedOpenGranted = false;
    // The exe name the Tool Help process snapshot lists; left out while empty.
    std::string exeName;
    std::vector<MEMORY_BASIC_INFORMATION> regions;
    // Scripted processes are 32-bit unless they say otherwise, so that the 64-bit
    // test programs check the 32-bit rules too. Where the native system is 64-bit,
    // IsWow64Process is TRUE for a 32-bit process and FALSE for a 64-bit one.
    bool is64Bit = false;
};

// The call through which the program lists a 32-bit process's modules: the
// filtered one in the 64-bit build.
inline constexpr const char* kModuleListCall =
    sizeof(void*) == 8 ? "EnumProcessModulesEx" : "EnumProcessModules";

// The last error after every call that succeeds: no real error has this code.
inline constexpr DWORD kPoisonedLastError = 0xDEADBEEF;

// A kernel module as the system's module information reports it.
struct Driver {
    uint64_t base = 0;
    std::string path;    // the first 256 bytes fill the system's fixed field
    int nameOffset = -1; // where the base name starts; -1: after the last backslash
};

inline constexpr ULONG kDebugPrivilegeLuid = 20;
inline constexpr LONG kStatusAccessDenied = static_cast<LONG>(0xC0000022);
inline constexpr LONG kStatusInvalidInfoClass = static_cast<LONG>(0xC0000003);
// A query made to fail with Fail(call, error) answers this status with the error in
// its low word, an error status that RtlNtStatusToDosError turns back into it.
inline constexpr ULONG kScriptedStatus = 0xE0000000;

// A value inside a file's version block, as VerQueryValueA reports it.
struct VersionValue {
    size_t offset = 0; // into `data`
    UINT length = 0;   // what the query reports, hostile lengths included
};

struct VersionFile {
    std::vector<BYTE> data;
    std::map<std::string, VersionValue> values; // sub-block name, case as given
    FILETIME lastWrite{};

    // Copies `size` bytes to `offset` as the value of `subBlock`, reported with `length`.
    void Put(const std::string& subBlock, size_t offset, const void* bytes, size_t size,
             UINT length);
};

// A version block of `size` bytes holding `fixed` at its start and one U.S. English,
// Unicode translation (0409 04B0) at `translationAt`.
VersionFile UsEnglishVersionFile(size_t size, const VS_FIXEDFILEINFO& fixed, size_t translationAt);

struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

struct ShellCall {
    HWND owner;
    std::string verb;
    std::string file;
    bool hasParameters;
    bool hasDirectory;
    INT show;
};

class FakeOs : public sys::Os {
public:
    FakeOs();

    // --- the scripted system --------------------------------------------
    std::map<DWORD, Process> processes;
    // Ids as EnumProcesses returns them; when empty, the keys of `processes`.
    std::vector<DWORD> processOrder;
    // The module information: its drivers, in the system's order.
    std::vector<Driver> drivers;
    // Windows 11 24H2 and later: every address 0 unless the debug privilege is enabled.
    bool driverAddressesHidden = false;
    bool debugPrivilegeHeld = false; // the token's, as an elevated administrator's
    bool debugPrivilegeEnabled = false;
    std::map<DWORD, std::string> messages; // FormatMessage texts
    std::map<std::string, VersionFile> versionFiles;
    std::string thousandsSeparator = ",";
    std::string grouping = "3;0";
    std::string ownExePath = "C:\\Program Files\\Velmora\\velmora.exe";
    std::deque<int> messageBoxAnswers; // IDOK when empty
    // GetSystemInfo's highest application address: that of the build's own Windows.
    uint64_t highestApplicationAddress = sizeof(void*) == 8 ? 0x7FFFFFFEFFFFull : 0x7FFEFFFFull;
    WORD nativeArchitecture =
        sizeof(void*) == 8 ? PROCESSOR_ARCHITECTURE_AMD64 : PROCESSOR_ARCHITECTURE_INTEL;
    bool selfWow64 = false; // what IsWow64Process says of this program itself

    // Makes the named call fail with `error`: every call, or only call number
    // `onCall` (counted from 1 since the last ResetCounts). A name the fake does not
    // answer to throws std::invalid_argument, as Before does.
    void Fail(const std::string& call, DWORD error, int onCall = 0);
    void ClearFailures() { failures_.clear(); }
    // Runs before every call of that name, to change the system mid-operation.
    void Before(const std::string& call, std::function<void()> action);

    // --- what the program did ---------------------------------------------
    std::map<std::string, int> calls;
    std::vector<DWORD> enumProcessesSizes; // buffer size of each call
    std::vector<DWORD> enumModulesSizes;
    std::vector<DWORD> enumModulesFilters;       // the filter of each EnumProcessModulesEx
    std::vector<ULONG> moduleInformationLengths; // buffer length of each query
    int moduleQueriesWithDebugPrivilege = 0;
    int processHandlesOpenAtModuleQuery = 0; // at the last query
    int opensWithDebugPrivilege = 0;
    int privilegeAdjustments = 0;
    std::vector<DWORD> openAccessMasks;
    std::vector<MessageBoxCall> messageBoxes;
    std::vector<ShellCall> shellCalls;
    struct ProcessStart {
        std::string application;
        std::string commandLine;
        bool hasDirectory;
        int show; // wShowWindow, or -1 without STARTF_USESHOWWINDOW
    };
    std::vector<ProcessStart> processStarts; // CreateProcessA, failed ones too
    std::string clipboardText;
    std::wstring clipboardUnicode; // CF_UNICODETEXT, up to its terminator
    bool clipboardHasText = false;
    int opened = 0;
    int closed = 0;
    int badCloses = 0; // CloseHandle of a handle not open
    int OpenHandles() const { return static_cast<int>(openHandles_.size()); }
    bool ClipboardOpen() const { return clipboardOpen_; }
    int LiveGlobals() const { return static_cast<int>(globals_.size()); }
    void ResetCounts();

    // --- sys::Os ----------------------------------------------------------
    DWORD GetLastError() override { return lastError_; }
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD pid) override;
    BOOL CloseHandle(HANDLE handle) override;
    DWORD GetPriorityClass(HANDLE process) override;
    SIZE_T VirtualQueryEx(HANDLE process, LPCVOID address, MEMORY_BASIC_INFORMATION* info,
                          SIZE_T length) override;
    DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) override;
    DWORD FormatMessageA(DWORD flags, DWORD code, DWORD language, LPSTR buffer,
                         DWORD size) override;
    int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size) override;
    BOOL GetFileAttributesExA(LPCSTR path, WIN32_FILE_ATTRIBUTE_DATA* data) override;
    BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) override;
    BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) override;
    int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                       LPSTR buffer, int size) override;
    int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format,
                       LPSTR buffer, int size) override;

    BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR buffer,
                                    DWORD* size) override;
    void GetSystemInfo(SYSTEM_INFO* info) override;
    void GetNativeSystemInfo(SYSTEM_INFO* info) override;
    BOOL IsWow64Process(HANDLE process, BOOL* wow64) override;
    BOOL ReadProcessMemory(HANDLE process, LPCVOID address, LPVOID buffer, SIZE_T size,
                           SIZE_T* bytesRead) override;
    BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, BOOL inheritHandles, DWORD flags,
                        LPCSTR directory, STARTUPINFOA* startup,
                        PROCESS_INFORMATION* information) override;

    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
    BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) override;
    BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) override;
    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override;
    BOOL LookupPrivilegeValueA(LPCSTR system, LPCSTR name, LUID* luid) override;
    BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState,
                               DWORD length, TOKEN_PRIVILEGES* previousState,
                               DWORD* returnLength) override;
    LONG NtQuerySystemInformation(ULONG infoClass, PVOID buffer, ULONG length,
                                  ULONG* returnLength) override;
    ULONG RtlNtStatusToDosError(LONG status) override;
    LONG NtQueryInformationProcess(HANDLE process, ULONG infoClass, PVOID buffer, ULONG length,
                                   ULONG* returnLength) override;

    BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) override;
    BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                            DWORD* bytesNeeded) override;
    BOOL EnumProcessModulesEx(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded,
                              DWORD filter) override;
    DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) override;
    DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) override;
    BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info,
                              DWORD size) override;
    BOOL GetProcessMemoryInfo(HANDLE process, PROCESS_MEMORY_COUNTERS* counters,
                              DWORD size) override;

    DWORD GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle) override;
    BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) override;
    BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, UINT* length) override;

    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
    HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                            LPCSTR directory, INT show) override;

    BOOL OpenClipboard(HWND owner) override;
    BOOL EmptyClipboard() override;
    HANDLE SetClipboardData(UINT format, HANDLE data) override;
    BOOL CloseClipboard() override;
    HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) override;
    LPVOID GlobalLock(HGLOBAL memory) override;
    BOOL GlobalUnlock(HGLOBAL memory) override;
    HGLOBAL GlobalFree(HGLOBAL memory) override;

private:
    struct Failure {
        DWORD error;
        int onCall;
    };

    // Counts the call, runs its Before action, and tells whether it must fail (the
    // last error is then set; else it is poisoned, for the call to set on its failure).
    bool Enter(const std::string& call);
    // The entry under `key`, or nullptr with the last error set to `missing`.
    template <typename Map, typename Key>
    typename Map::mapped_type* Find(Map& map, const Key& key, DWORD missing) {
        auto found = map.find(key);
        if (found == map.end()) {
            lastError_ = missing;
            return nullptr;
        }
        return &found->second;
    }
    Process* ProcessOf(HANDLE handle);
    // The process of a handle that may read its memory; not of a limited one.
    Process* ReadableProcessOf(HANDLE handle);
    // A process's handle counts in `opened` and `closed`; a snapshot's or a token's not.
    HANDLE NewHandle(DWORD pid, bool counted = true);
    BOOL NextEntry(HANDLE snapshot, PROCESSENTRY32* entry);
    sys::SystemModule SystemModuleOf(const Driver& driver) const;
    BOOL ListModules(HANDLE handle, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded);
    void FillSystemInfo(SYSTEM_INFO* info) const;
    const Module* ModuleOf(HANDLE process, HMODULE module);
    DWORD CopyName(const std::string& text, LPSTR buffer, DWORD size);
    int FormatDateOrTime(const char* call, const char* format, unsigned first, unsigned second,
                         unsigned third, LPSTR buffer, int size);
    // The two name calls of modules: `call` copies `text` of the one found.
    DWORD CopyModuleText(const char* call, HANDLE process, HMODULE module,
                         std::string Module::*text, LPSTR buffer, DWORD size);

    // The loader's memory of a process, laid out anew by each query of its PEB.
    const LoaderImage& LoaderOf(DWORD pid, const Process& process);
    static void RefuseUnknown(const std::string& call);

    DWORD lastError_ = 0;
    std::map<DWORD, LoaderImage> loaders_;
    std::multimap<std::string, Failure> failures_;
    std::map<std::string, std::function<void()>> before_;
    std::map<HANDLE, DWORD> openHandles_; // handle -> pid
    std::set<HANDLE> limitedHandles_;     // opened for limited queries only
    std::set<HANDLE> uncounted_;
    struct Snapshot {
        std::vector<PROCESSENTRY32> entries;
        size_t next;
    };
    std::map<HANDLE, Snapshot> snapshots_;
    HANDLE token_ = nullptr;
    uintptr_t nextHandle_ = 0x1000;
    bool clipboardOpen_ = false;
    std::map<HGLOBAL, std::vector<char>> globals_;
    uintptr_t nextGlobal_ = 0x10000;
    const VersionFile* lastVersionFile_ = nullptr;
    const BYTE* lastVersionBlock_ = nullptr;
};

// Process records with the common fields filled.
Process MakeProcess(const std::string& name, const std::string& path,
                    DWORD priority = NORMAL_PRIORITY_CLASS);
// A process whose modules cannot be listed, as a 64-bit process is to a 32-bit
// program: only its image path and its counters can be had.
Process MakeProcessWithoutModules(const std::string& imagePath, DWORD modulesError);

// Every call the fake answers to, by the name Fail and Before take.
const std::set<std::string>& KnownCalls();

MEMORY_BASIC_INFORMATION Region(uint64_t base, uint64_t size, DWORD state, DWORD type = 0,
                                DWORD protect = 0);

} // namespace fake
