#include "tests/kit/helper_process.h"

#include "tests/kit/programs.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace testkit {

namespace {

constexpr DWORD kExitTimeoutMs = 5000;
constexpr DWORD kReadPollMs = 5;
constexpr char kReady[] = "ready ";

struct Pipe {
    UniqueHandle read;
    UniqueHandle write;
};

// Only the child's end is inherited: the child must not hold ours, or its input
// would never end.
Pipe InheritablePipe(bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0)) {
        DWORD error = ::GetLastError();
        throw std::runtime_error("CreatePipe failed, error " + std::to_string(error));
    }
    Pipe pipe{UniqueHandle(read), UniqueHandle(write)};
    ::SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

bool Reserve(uintptr_t base, SIZE_T bytes, DWORD type) {
    return ::VirtualAlloc(reinterpret_cast<void*>(base), bytes, type, PAGE_READWRITE) != nullptr;
}

void WaitForInputToEnd() {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    char buffer[64];
    DWORD read = 0;
    while (::ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
}

} // namespace

bool StartedAsHelper(int argc, char** argv) {
    return argc >= 2 && std::strcmp(argv[1], kHelperFlag) == 0;
}

HelperLayout LayOutKnownMemory() {
    if (!Reserve(kCommittedBase, kCommittedBytes, MEM_RESERVE | MEM_COMMIT) ||
        !Reserve(kReservedBase, kReservedBytes, MEM_RESERVE)) {
        DWORD error = ::GetLastError();
        return {false, "the known memory could not be laid out, error " + std::to_string(error)};
    }
    return {true, "known memory"};
}

int ServeAsHelper(const HelperLayout& layout) {
    std::printf("%s %s\n", layout.ready ? "ready" : "failed", layout.detail.c_str());
    std::fflush(stdout);
    if (!layout.ready) {
        return 2;
    }
    WaitForInputToEnd();
    return 0;
}

HelperProcess::HelperProcess()
    : HelperProcess("\"" + OwnExePath() + "\" " + std::string(kHelperFlag)) {}

HelperProcess::HelperProcess(const std::string& commandLine, DWORD readyTimeoutMs) {
    Pipe input = InheritablePipe(true);
    Pipe output = InheritablePipe(false);
    STARTUPINFOA standardHandles{};
    standardHandles.dwFlags = STARTF_USESTDHANDLES;
    standardHandles.hStdInput = input.read.Get();
    standardHandles.hStdOutput = output.write.Get();
    standardHandles.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    StartedProcess started = StartProcess(commandLine, {}, &standardHandles);
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
    std::string line = ReadLine(readyTimeoutMs);
    if (line.rfind(kReady, 0) != 0) {
        End(); // no destructor runs for a constructor that throws
        throw std::runtime_error(commandLine + " reported: " + line);
    }
    detail_ = line.substr(std::strlen(kReady));
}

HelperProcess::~HelperProcess() { End(); }

void HelperProcess::End() {
    input_.Reset();
    if (process_ && ::WaitForSingleObject(process_.Get(), kExitTimeoutMs) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.Get(), 1);
        ::WaitForSingleObject(process_.Get(), kExitTimeoutMs);
    }
    process_.Reset();
}

bool HelperProcess::WaitUntilForgotten() const {
    for (int tries = 0; tries < 100; ++tries) {
        UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id_));
        if (!process) {
            return true;
        }
        ::Sleep(50);
    }
    return false;
}

std::string HelperProcess::ReadLine(DWORD timeoutMs) {
    std::string line;
    for (DWORD waited = 0; waited < timeoutMs;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(output_.Get(), nullptr, 0, nullptr, &available, nullptr)) {
            return line.empty() ? "(no output; it ended)" : line;
        }
        if (available == 0) {
            ::Sleep(kReadPollMs);
            waited += kReadPollMs;
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

} // namespace testkit
