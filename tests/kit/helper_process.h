#pragma once
// A helper process for the tests and the benchmark to inspect. It is started with
// pipes for its standard input and output; once its memory is laid out it reports
// one line, "ready DETAIL" or "failed DETAIL", and then lives until its input
// ends: the owner ended it on demand, or the owner itself ended.
//
// A test program is its own helper: started again with kHelperFlag, it lays out
// the known memory below and waits.

#include "tests/kit/handles.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace testkit {

inline constexpr char kHelperFlag[] = "--helper";

// The known memory. The image lies at kHelperImageBase where the program's linker
// flags put it there (the black-box test program's do): the default base of a
// 32-bit exe, or of a 64-bit one, above 4 GB.
#ifdef _WIN64
inline constexpr uintptr_t kHelperImageBase = 0x140000000;
#else
inline constexpr uintptr_t kHelperImageBase = 0x400000;
#endif
inline constexpr uintptr_t kCommittedBase = 0x20000000;
inline constexpr SIZE_T kCommittedBytes = 0x30000;
inline constexpr uintptr_t kReservedBase = 0x21000000;
inline constexpr SIZE_T kReservedBytes = 0x20000;

// --- the helper's side --------------------------------------------------

struct HelperLayout {
    bool ready = false;
    std::string detail; // what follows "ready " or "failed " on the report line
};

// Whether this program was started as its own helper.
bool StartedAsHelper(int argc, char** argv);
HelperLayout LayOutKnownMemory();
// Reports the layout on standard output and, when it is ready, waits until
// standard input ends. Returns the exit code.
int ServeAsHelper(const HelperLayout& layout);

// --- the owner's side ---------------------------------------------------

class HelperProcess {
public:
    // This program again, with kHelperFlag: the known memory in place.
    HelperProcess();
    // Starts the command line and waits for its report; throws std::runtime_error
    // unless it is ready in time.
    explicit HelperProcess(const std::string& commandLine, DWORD readyTimeoutMs = 60000);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.Get(); }
    bool Running() const { return static_cast<bool>(process_); }
    // What followed "ready " on its report line.
    const std::string& Detail() const { return detail_; }
    // Closes its input, returns once it is gone and drops this side's handle.
    void End();
    // Waits until the system has forgotten the ended helper: under Wine its id
    // still opens for about half a second after it exits.
    bool WaitUntilForgotten() const;

private:
    std::string ReadLine(DWORD timeoutMs);

    UniqueHandle process_;
    UniqueHandle input_;  // our end of its standard input
    UniqueHandle output_; // our end of its standard output
    DWORD id_ = 0;
    std::string detail_;
};

} // namespace testkit
