#include "tests/blackbox/helper_process.h"

#include "tests/blackbox/polling.h"

#include <stdexcept>

namespace blackbox {

namespace {

constexpr DWORD kLongestLifeMs = 5 * 60 * 1000;
constexpr int kAllocationFailed = 3;

bool RegionIs(HANDLE process, uintptr_t base, SIZE_T bytes, DWORD state) {
    MEMORY_BASIC_INFORMATION region{};
    if (::VirtualQueryEx(process, reinterpret_cast<LPCVOID>(base), &region, sizeof region) == 0) {
        return false;
    }
    return reinterpret_cast<uintptr_t>(region.BaseAddress) == base && region.RegionSize == bytes &&
           region.State == state;
}

} // namespace

int RunHelper(DWORD parentId) {
    void* committed = ::VirtualAlloc(reinterpret_cast<void*>(kCommittedBase), kCommittedBytes,
                                     MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    void* reserved = ::VirtualAlloc(reinterpret_cast<void*>(kReservedBase), kReservedBytes,
                                    MEM_RESERVE, PAGE_READWRITE);
    if (committed == nullptr || reserved == nullptr) {
        return kAllocationFailed;
    }
    UniqueHandle parent(::OpenProcess(SYNCHRONIZE, FALSE, parentId));
    if (parent) {
        ::WaitForSingleObject(parent.Get(), kLongestLifeMs);
    } else {
        ::Sleep(kLongestLifeMs);
    }
    return 0;
}

std::string OwnExeName() {
    std::string path = OwnExePath();
    return path.substr(path.find_last_of("\\/") + 1);
}

HelperProcess::HelperProcess() {
    std::string command =
        "\"" + OwnExePath() + "\" " + kHelperFlag + " " + std::to_string(::GetCurrentProcessId());
    testkit::StartedProcess started = testkit::StartProcess(command);
    if (!started.process) {
        throw std::runtime_error("could not start the helper: error " +
                                 std::to_string(started.error));
    }
    process_ = std::move(started.process);
    id_ = started.id;
    try {
        WaitFor("the helper's memory to be in place", [this] {
            DWORD code = STILL_ACTIVE;
            if (::GetExitCodeProcess(process_.Get(), &code) && code != STILL_ACTIVE) {
                throw std::runtime_error("the helper ended with code " + std::to_string(code));
            }
            return MemoryInPlace();
        });
    } catch (...) {
        End(); // no destructor runs for a constructor that throws
        throw;
    }
}

HelperProcess::~HelperProcess() { End(); }

void HelperProcess::End() {
    if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.Get(), 0);
        ::WaitForSingleObject(process_.Get(), kStepTimeoutMs);
    }
}

bool HelperProcess::MemoryInPlace() const {
    return RegionIs(process_.Get(), kCommittedBase, kCommittedBytes, MEM_COMMIT) &&
           RegionIs(process_.Get(), kReservedBase, kReservedBytes, MEM_RESERVE);
}

} // namespace blackbox
