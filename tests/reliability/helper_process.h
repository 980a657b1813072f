#pragma once
// A helper process for the real-system tests (velmora_reliability_helper.exe,
// beside the test program) that runs until the test ends it.

#include "tests/programs.h"
#include "tests/unique_handle.h"

#include <windows.h>

#include <string>
#include <utility>

namespace reliability {

using OwnedHandle = testkit::UniqueHandle;

class HelperProcess {
public:
    // Starts the helper and waits until it runs.
    HelperProcess();
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool Running() const { return process_.Get() != nullptr; }
    DWORD Pid() const { return pid_; }
    // Lets the helper exit, waits for it and drops this side's handle.
    void End();
    // Waits until the system has forgotten the ended helper: under Wine its id
    // still opens for about half a second after it exits.
    bool WaitUntilForgotten() const;

private:
    OwnedHandle process_;
    OwnedHandle stop_;
    DWORD pid_ = 0;
};

using testkit::OwnFolder;

} // namespace reliability
