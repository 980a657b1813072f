#include "bench/helper_process.h"

#include <stdexcept>

namespace bench {

namespace {

constexpr DWORD kReadyTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 5000;

struct Pipe {
    OwnedHandle read;
    OwnedHandle write;
};

// Only `childEnd` is inherited: the child must not hold our ends, or its input
// would never end.
Pipe InheritablePipe(bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0)) {
        throw std::runtime_error("CreatePipe failed, error " + std::to_string(::GetLastError()));
    }
    Pipe pipe{OwnedHandle(read), OwnedHandle(write)};
    ::SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

} // namespace

HelperProcess::HelperProcess(const std::string& commandLine) {
    Pipe input = InheritablePipe(true);
    Pipe output = InheritablePipe(false);
    STARTUPINFOA standardHandles{};
    standardHandles.dwFlags = STARTF_USESTDHANDLES;
    standardHandles.hStdInput = input.read.Get();
    standardHandles.hStdOutput = output.write.Get();
    standardHandles.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    testkit::StartedProcess started = testkit::StartProcess(commandLine, {}, &standardHandles);
    if (!started.process) {
        throw std::runtime_error("could not start " + commandLine + ", error " +
                                 std::to_string(started.error));
    }
    process_ = std::move(started.process);
    id_ = started.id;
    input_ = std::move(input.write);
    output_ = std::move(output.read);
    // Our copies of the child's ends go now: its death must end the pipe for us.
    input.read.Reset();
    output.write.Reset();
    std::string line = ReadLine(kReadyTimeoutMs);
    if (line.rfind("ready ", 0) != 0) {
        End();
        throw std::runtime_error(commandLine + " reported: " + line);
    }
    detail_ = line.substr(6);
}

HelperProcess::~HelperProcess() { End(); }

void HelperProcess::End() {
    input_.Reset();
    if (process_ && ::WaitForSingleObject(process_.Get(), kExitTimeoutMs) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.Get(), 1);
        ::WaitForSingleObject(process_.Get(), kExitTimeoutMs);
    }
}

std::string HelperProcess::ReadLine(DWORD timeoutMs) {
    std::string line;
    DWORD waited = 0;
    while (waited < timeoutMs) {
        DWORD available = 0;
        if (!::PeekNamedPipe(output_.Get(), nullptr, 0, nullptr, &available, nullptr)) {
            return line.empty() ? "(no output; it ended)" : line;
        }
        if (available == 0) {
            ::Sleep(5);
            waited += 5;
            continue;
        }
        char c = 0;
        DWORD read = 0;
        if (!::ReadFile(output_.Get(), &c, 1, &read, nullptr) || read == 0 || c == '\n') {
            return line;
        }
        if (c != '\r') {
            line += c;
        }
    }
    return line.empty() ? "(no output in time)" : line;
}

} // namespace bench
