#pragma once
// The program's text is in its ANSI code page: UTF-8 where the manifest's
// declaration is honoured (Windows 10 1903 on), else the system's code page,
// where a character may also take two bytes. These keep such characters whole.

#include <windows.h>

#include <string>
#include <string_view>

namespace sys {

// How many bytes of `text` hold whole characters of `codePage`: all of them,
// unless the last character was cut short (at the end of a fixed buffer).
size_t WholeCharactersLength(std::string_view text, UINT codePage);

// The text in UTF-16, converted from the program's code page.
std::wstring WideText(std::string_view text);

// UTF-16 in the program's code page, as the A functions convert what they return.
std::string NarrowText(std::wstring_view text);

} // namespace sys
