#pragma once
// Taking apart the texts the tests read back: lines, tab-separated fields, digits
// and comparisons without regard to case.

#include <string>
#include <vector>

namespace testkit {

std::vector<std::string> SplitLines(const std::string& text);  // at CR LF
std::vector<std::string> SplitFields(const std::string& line); // at tabs

// The decimal digits of a text, in order; "1,234 bytes" gives "1234".
std::string DigitsOf(const std::string& text);
std::string Lower(std::string text);
bool EqualIgnoringCase(const std::string& a, const std::string& b);
bool StartsWith(const std::string& text, const std::string& prefix);
bool EndsWith(const std::string& text, const std::string& suffix);

// A driver row as the build that runs writes it: the 64-bit edition writes all
// sixteen digits of an address, so a driver below 4 GB gets eight more zeros.
std::string DriverRow(const std::string& name, const std::string& lowEightDigits);

} // namespace testkit
