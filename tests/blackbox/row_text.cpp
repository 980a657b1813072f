#include "tests/blackbox/row_text.h"

#include <algorithm>
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

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos;
         start = at + separator.size()) {
        pieces.push_back(text.substr(start, at - start));
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

} // namespace

std::vector<std::string> SplitLines(const std::string& text) { return Split(text, "\r\n"); }

std::vector<std::string> SplitFields(const std::string& line) { return Split(line, "\t"); }

std::string DigitsOf(const std::string& text) {
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
                 [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    return digits;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace blackbox
