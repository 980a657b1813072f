#pragma once
// Taking apart the texts the viewer shows: process rows "id - name (priority)",
// module rows "name @ HEX: HEX (n)" and the tab-separated lines of the memory map.

#include "tests/kit/text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace blackbox {

std::optional<uint32_t> LeadingProcessId(const std::string& row);

// The hex base and size have at most as many digits as the edition's pointers:
// eight in the 32-bit edition, sixteen in the 64-bit one.
struct ModuleRow {
    std::string name;
    uint64_t base;
    uint64_t size;
    std::string sizeInWords; // the bracketed size, with thousands separators
};
std::optional<ModuleRow> ParseModuleRow(const std::string& row);

// An address as the memory map and the bar's labels write it: upper-case hex
// without leading zeros, a blank before every group of four digits counted from
// the right ("2000 0000", "1 4000 0000").
std::string GroupedHex(uint64_t address);

using testkit::DigitsOf;
using testkit::EndsWith;
using testkit::EqualIgnoringCase;
using testkit::SplitFields;
using testkit::SplitLines;
using testkit::StartsWith;

} // namespace blackbox
