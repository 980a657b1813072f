#pragma once
// Helpers shared by both windows, and the two variables through which the main
// window hands the selected process to the memory map window.

#include "system/handles.h"
#include "system/os.h"
#include "system/raised_error.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace basEnumProcs {

// Query-information and read-memory rights: all the viewer ever asks for.
constexpr DWORD kProcessQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

// "Error: <code>(&H<hex>): <system text>" with the text's closing CR LF removed.
std::string GetErrorText(sys::Os& os, int32_t code);

// Builds the error RaiseWinError throws; exposed so other raisers share it.
sys::RaisedError MakeWinError(sys::Os& os, int32_t code);

[[noreturn]] void RaiseWinError(sys::Os& os, int32_t code);

// The text before the first NUL; when it has none, the text up to its last whole
// character in the program's code page (a fixed buffer may have cut one short).
std::string StripNul(std::string_view text);

// The text a system call wrote into a fixed buffer of `size` chars: never reads
// past the buffer, even when the system left no terminator.
std::string StripNul(const char* buffer, size_t size);

// The process opened for query and memory read; empty when it cannot be.
sys::ProcessHandle OpenProcessQuery(sys::Os& os, int32_t processId);
// The one right Windows grants for almost every process: its image path, priority
// class and memory counters, nothing of its memory.
sys::ProcessHandle OpenProcessLimited(sys::Os& os, int32_t processId);

// The hand-off from the main window to the memory map window.
inline int32_t lMemMapProcessID = 0;
inline std::string sMemMapProcessName;

} // namespace basEnumProcs
