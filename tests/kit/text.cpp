#include "tests/kit/text.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace testkit {

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

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string DriverRow(const std::string& name, const std::string& lowEightDigits) {
    return name + " @ " + (sizeof(void*) == 8 ? "0000 0000 " : "") + lowEightDigits;
}

} // namespace testkit
