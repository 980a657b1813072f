#pragma once
// The names the system writes into fixed 260-character buffers: process,
// module and driver names and paths alike.

#include "system/bas_enum_procs.h"

#include <windows.h>

#include <string>

namespace sys {

inline constexpr DWORD kNameBufferSize = 260;

// `query(buffer, size)` makes the call; its result is not examined: a failed
// query leaves the buffer all NUL, so the name is empty.
template <typename Query> std::string QueryName(Query query) {
    char buffer[kNameBufferSize] = {};
    query(buffer, kNameBufferSize);
    return basEnumProcs::StripNul(buffer, kNameBufferSize);
}

} // namespace sys
