#pragma once
// Taking apart the texts the viewer shows: process rows "id - name (priority)",
// module rows "name @ HEX: HEX (n)" and the tab-separated lines of the memory map.

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

std::vector<std::string> SplitLines(const std::string& text);  // at CR LF
std::vector<std::string> SplitFields(const std::string& line); // at tabs

// The decimal digits of a text, in order; "1,234 bytes" gives "1234".
std::string DigitsOf(const std::string& text);
bool EqualIgnoringCase(const std::string& a, const std::string& b);
bool StartsWith(const std::string& text, const std::string& prefix);
bool EndsWith(const std::string& text, const std::string& suffix);

} // namespace blackbox
