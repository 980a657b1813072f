#pragma once
// The debug privilege, enabled for one scope where the program's token holds it
// (an elevated administrator's does), and put back to its earlier state when the
// scope ends. Windows shows kernel addresses only to a program that holds it
// enabled. Nothing is asked of a token that lacks it: no elevation, no other
// privilege.

#include "system/handles.h"
#include "system/os.h"

namespace sys {

class DebugPrivilegeScope {
public:
    explicit DebugPrivilegeScope(Os& os);
    ~DebugPrivilegeScope();
    DebugPrivilegeScope(const DebugPrivilegeScope&) = delete;
    DebugPrivilegeScope& operator=(const DebugPrivilegeScope&) = delete;

private:
    Os& os_;
    KernelHandle token_;
    // What the enabling changed; empty when it changed nothing.
    TOKEN_PRIVILEGES previous_{};
};

} // namespace sys
