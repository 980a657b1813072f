#include "tests/blackbox/row_text.h"

#include <cctype>
#include <cstdio>
#include <regex>

namespace blackbox {

std::optional<uint32_t> LeadingProcessId(const std::string& row) {
    size_t digits = 0;
    while (digits < row.size() && std::isdigit(static_cast<unsigned char>(row[digits]))) {
        ++digits;
    }
    if (digits == 0 || row.compare(digits, 3, " - ") != 0) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(row.substr(0, digits)));
}

std::optional<ModuleRow> ParseModuleRow(const std::string& row) {
    static const std::string kHex = "([0-9A-F]{1," + std::to_string(2 * sizeof(void*)) + "})";
    static const std::regex kModuleRow("^(.+) @ " + kHex + ": " + kHex + R"( \((.*)\)$)");
    std::smatch parts;
    if (!std::regex_match(row, parts, kModuleRow)) {
        return std::nullopt;
    }
    return ModuleRow{parts[1].str(), std::stoull(parts[2].str(), nullptr, 16),
                     std::stoull(parts[3].str(), nullptr, 16), parts[4].str()};
}

std::string GroupedHex(uint64_t address) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%llX", static_cast<unsigned long long>(address));
    std::string grouped = digits;
    for (size_t at = grouped.size(); at > 4; at -= 4) {
        grouped.insert(at - 4, 1, ' ');
    }
    return grouped;
}

} // namespace blackbox
