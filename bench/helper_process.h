#pragma once
// A helper process started by the benchmark, with pipes for its standard input
// and output. It ends when its input is closed, at the latest when the owner goes.

#include "bench/owned_handle.h"
#include "tests/programs.h"

#include <windows.h>

#include <string>

namespace bench {

using testkit::OwnFolder;

class HelperProcess {
public:
    // Starts the command line and waits for its first output line, which must
    // begin with "ready "; throws std::runtime_error otherwise.
    explicit HelperProcess(const std::string& commandLine);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.Get(); }
    // What followed "ready " on the first line.
    const std::string& Detail() const { return detail_; }

private:
    std::string ReadLine(DWORD timeoutMs);
    void End();

    OwnedHandle process_;
    OwnedHandle input_;  // our end of its standard input
    OwnedHandle output_; // our end of its standard output
    DWORD id_ = 0;
    std::string detail_;
};

} // namespace bench
