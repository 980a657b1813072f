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

struct ModuleRow {
    std::string name;
    uint32_t base;
    uint32_t size;
    std::string sizeInWords; // the bracketed size, with thousands separators
};
std::optional<ModuleRow> ParseModuleRow(const std::string& row);

using testkit::DigitsOf;
using testkit::EndsWith;
using testkit::EqualIgnoringCase;
using testkit::SplitFields;
using testkit::SplitLines;
using testkit::StartsWith;

} // namespace blackbox
