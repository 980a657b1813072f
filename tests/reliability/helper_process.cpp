#include "tests/reliability/helper_process.h"

namespace reliability {

namespace {

constexpr DWORD kStartTimeoutMs = 15000;

} // namespace

HelperProcess::HelperProcess() {
    static int helpersStarted = 0;
    std::string name = "VelmoraHelper-" + std::to_string(::GetCurrentProcessId()) + "-" +
                       std::to_string(++helpersStarted);
    OwnedHandle ready(::CreateEventA(nullptr, TRUE, FALSE, (name + "-ready").c_str()));
    stop_ = OwnedHandle(::CreateEventA(nullptr, TRUE, FALSE, (name + "-stop").c_str()));
    testkit::StartedProcess started =
        testkit::StartProcess("\"" + OwnFolder() + "velmora_reliability_helper.exe\" " + name);
    if (!started.process) {
        return;
    }
    process_ = std::move(started.process);
    pid_ = started.id;
    HANDLE waits[] = {ready.Get(), process_.Get()};
    if (::WaitForMultipleObjects(2, waits, FALSE, kStartTimeoutMs) != WAIT_OBJECT_0) {
        End();
    }
}

HelperProcess::~HelperProcess() { End(); }

void HelperProcess::End() {
    if (process_.Get() == nullptr) {
        return;
    }
    ::SetEvent(stop_.Get());
    if (::WaitForSingleObject(process_.Get(), kStartTimeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process_.Get(), 1);
        ::WaitForSingleObject(process_.Get(), kStartTimeoutMs);
    }
    process_.Reset();
}

bool HelperProcess::WaitUntilForgotten() const {
    for (int tries = 0; tries < 100; ++tries) {
        OwnedHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid_));
        if (process.Get() == nullptr) {
            return true;
        }
        ::Sleep(50);
    }
    return false;
}

} // namespace reliability
