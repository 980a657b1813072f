#include "system/number_text.h"

#include "system/bas_enum_procs.h"

#include <algorithm>

namespace sys {

namespace {

std::string LocaleText(Os& os, LCTYPE type, const char* fallback) {
    char buffer[16] = {};
    int length = os.GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    if (length <= 0) {
        return fallback;
    }
    return basEnumProcs::StripNul(buffer, std::min<size_t>(length, sizeof buffer));
}

} // namespace

// LOCALE_SGROUPING such as "3;0" (threes), "3;2;0" (three, then twos) or "3"
// (one group of three, the rest ungrouped).
ThousandsFormat::Grouping ThousandsFormat::ParseGrouping(const std::string& grouping) {
    std::vector<int> groups;
    int current = 0;
    for (char c : grouping) {
        if (c >= '0' && c <= '9') {
            current = current * 10 + (c - '0');
        } else if (c == ';') {
            groups.push_back(current);
            current = 0;
        }
    }
    groups.push_back(current);
    bool repeatLast = groups.size() > 1 && groups.back() == 0;
    if (repeatLast) {
        groups.pop_back();
    }
    return Grouping{groups, repeatLast};
}

ThousandsFormat::ThousandsFormat(Os& os)
    : ThousandsFormat(LocaleText(os, LOCALE_STHOUSAND, ","),
                      LocaleText(os, LOCALE_SGROUPING, "3;0")) {}

ThousandsFormat::ThousandsFormat(std::string separator, std::string grouping)
    : separator_(std::move(separator)), grouping_(ParseGrouping(grouping)) {}

std::string ThousandsFormat::Format(uint64_t value) const {
    if (value == 0) {
        return std::string();
    }
    std::string digits = std::to_string(value);
    std::vector<std::string> pieces; // lowest group first
    size_t end = digits.size();
    for (size_t index = 0;; ++index) {
        int size = 0;
        const std::vector<int>& sizes = grouping_.sizes;
        if (index < sizes.size()) {
            size = sizes[index];
        } else if (grouping_.repeatLast) {
            size = sizes.back();
        }
        if (size <= 0 || static_cast<size_t>(size) >= end) {
            pieces.push_back(digits.substr(0, end));
            break;
        }
        pieces.push_back(digits.substr(end - size, size));
        end -= size;
    }
    std::string out = pieces.back();
    for (size_t i = pieces.size() - 1; i-- > 0;) {
        out += separator_;
        out += pieces[i];
    }
    return out;
}

} // namespace sys
