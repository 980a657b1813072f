#pragma once
// Which activations of a form count as the form becoming the program's active
// window: its first showing, and coming back from another form of the program.
// Switching from another program, or back from a message box, does not.

#include <windows.h>

namespace app {

class ActivationFilter {
public:
    bool Counts(HWND self, HWND previous);

private:
    bool activatedBefore_ = false;
};

} // namespace app
