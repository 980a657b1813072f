#include "tests/reliability/helper_process.h"

namespace reliability {

namespace {

constexpr DWORD kStartTimeoutMs = 15000;

} // namespace

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

HelperProcess::HelperProcess() {
    static int started = 0;
    std::string name = "VelmoraHelper-" + std::to_string(::GetCurrentProcessId()) + "-" +
                       std::to_string(++started);
    OwnedHandle ready(::CreateEventA(nullptr, TRUE, FALSE, (name + "-ready").c_str()));
    stop_ = OwnedHandle(::CreateEventA(nullptr, TRUE, FALSE, (name + "-stop").c_str()));
    std::string exe = OwnFolder() + "velmora_reliability_helper.exe";
    std::string command = "\"" + exe + "\" " + name;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        return;
    }
    ::CloseHandle(info.hThread);
    process_ = OwnedHandle(info.hProcess);
    pid_ = info.dwProcessId;
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
