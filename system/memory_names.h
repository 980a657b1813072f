#pragma once
// The names of a memory region's state, type and protection, as the memory
// map shows them: the system's constant names without MEM_ and PAGE_.

#include <cstdint>
#include <string>

namespace basEnumProcs {

// COMMIT, RESERVE, FREE, PRIVATE, MAPPED, IMAGE, ...; anything else in decimal.
std::string MemStateTypeText(int32_t value);

// NOACCESS, READONLY, READWRITE, ...; combinations of flags in decimal.
std::string MemProtectText(int32_t value);

} // namespace basEnumProcs
