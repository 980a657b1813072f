#pragma once
// Bounded waits: every wait of the black-box tests ends, and one that runs out
// says what never happened.

#include <windows.h>

#include <stdexcept>
#include <string>

namespace blackbox {

inline constexpr DWORD kWindowTimeoutMs = 15000; // a program's first window
inline constexpr DWORD kStepTimeoutMs = 10000;   // anything after that
inline constexpr DWORD kPollIntervalMs = 20;

class WaitTimedOut : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Polls `condition` until it holds; throws WaitTimedOut after `timeoutMs`.
template <typename Condition>
void WaitFor(const std::string& what, Condition condition, DWORD timeoutMs = kStepTimeoutMs) {
    ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) {
            throw WaitTimedOut("timed out after " + std::to_string(timeoutMs) + " ms waiting for " +
                               what);
        }
        ::Sleep(kPollIntervalMs);
    }
}

} // namespace blackbox
