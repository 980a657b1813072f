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

// Polls `condition` until it holds or `timeoutMs` have passed; says whether it held.
template <typename Condition>
bool Eventually(Condition condition, DWORD timeoutMs = kStepTimeoutMs) {
    ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        ::Sleep(kPollIntervalMs);
    }
    return true;
}

// Polls `condition` until it holds; throws WaitTimedOut after `timeoutMs`.
template <typename Condition>
void WaitFor(const std::string& what, Condition condition, DWORD timeoutMs = kStepTimeoutMs) {
    if (!Eventually(condition, timeoutMs)) {
        throw WaitTimedOut("timed out after " + std::to_string(timeoutMs) + " ms waiting for " +
                           what);
    }
}

} // namespace blackbox
