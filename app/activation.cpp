#include "app/activation.h"

#include <string_view>

namespace app {

bool ActivationFilter::Counts(HWND self, HWND previous) {
    if (!activatedBefore_) {
        activatedBefore_ = true;
        return true;
    }
    if (previous == nullptr || previous == self) {
        return false;
    }
    DWORD owner = 0;
    ::GetWindowThreadProcessId(previous, &owner);
    if (owner != ::GetCurrentProcessId()) {
        return false;
    }
    char className[16] = {};
    ::GetClassNameA(previous, className, sizeof className);
    return std::string_view(className) != "#32770"; // the class of message boxes
}

} // namespace app
