#include "tests/blackbox/row_text.h"

#include <cctype>
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
    static const std::regex kModuleRow(R"(^(.+) @ ([0-9A-F]{1,8}): ([0-9A-F]{1,8}) \((.*)\)$)");
    std::smatch parts;
    if (!std::regex_match(row, parts, kModuleRow)) {
        return std::nullopt;
    }
    return ModuleRow{parts[1].str(), static_cast<uint32_t>(std::stoul(parts[2].str(), nullptr, 16)),
                     static_cast<uint32_t>(std::stoul(parts[3].str(), nullptr, 16)),
                     parts[4].str()};
}

} // namespace blackbox
