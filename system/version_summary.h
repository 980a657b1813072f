#pragma once
// One line from a file's version resource: file and product version, the
// file's local modification time and the company name.

#include "system/os.h"

#include <cstdint>
#include <string>

namespace basEnumProcs {

// "File Ver 1.2.3.4 - Product Ver 1.2.0.0 - Date: <date> <time> - Co: <company>",
// an error line when the file has no readable version data, or empty text.
std::string GetVersionSummary(sys::Os& os, const std::string& path);

// "5.1.1.40960": the halves of the two version words, each read unsigned.
std::string VersionNumberText(uint32_t mostSignificant, uint32_t leastSignificant);

} // namespace basEnumProcs
