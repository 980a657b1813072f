#include "system/debug_privilege.h"

namespace sys {

namespace {

HANDLE OpenOwnToken(Os& os) {
    HANDLE token = nullptr;
    if (!os.OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                             &token)) {
        return nullptr;
    }
    return token;
}

} // namespace

DebugPrivilegeScope::DebugPrivilegeScope(Os& os) : os_(os), token_(os, OpenOwnToken(os)) {
    TOKEN_PRIVILEGES enable{};
    if (!token_ || !os_.LookupPrivilegeValueA(nullptr, SE_DEBUG_NAME, &enable.Privileges[0].Luid)) {
        return;
    }
    enable.PrivilegeCount = 1;
    enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD length = 0;
    BOOL adjusted = os_.AdjustTokenPrivileges(token_.Get(), FALSE, &enable, sizeof previous,
                                              &previous, &length);
    // A token without the privilege: the call succeeds, changes nothing and says so.
    if (adjusted && os_.GetLastError() == ERROR_SUCCESS) {
        previous_ = previous;
    }
}

DebugPrivilegeScope::~DebugPrivilegeScope() {
    if (previous_.PrivilegeCount != 0) {
        os_.AdjustTokenPrivileges(token_.Get(), FALSE, &previous_, 0, nullptr, nullptr);
    }
}

} // namespace sys
