#include "system/ansi_text.h"

namespace sys {

namespace {

// The bytes a UTF-8 sequence takes, told by its first byte; 0 for a byte that
// continues a sequence.
size_t Utf8SequenceLength(unsigned char first) {
    if (first < 0x80) {
        return 1;
    }
    if (first < 0xC0) {
        return 0;
    }
    return first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
}

size_t WholeUtf8Length(std::string_view text) {
    // A cut character starts at most three bytes before the end.
    for (size_t back = 1; back <= 4 && back <= text.size(); ++back) {
        size_t start = text.size() - back;
        size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[start]));
        if (length != 0) {
            return length > back ? start : text.size();
        }
    }
    return text.size();
}

size_t WholeDoubleByteLength(std::string_view text, UINT codePage) {
    size_t at = 0;
    while (at < text.size()) {
        size_t length = ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[at])) ? 2 : 1;
        if (at + length > text.size()) {
            break;
        }
        at += length;
    }
    return at;
}

} // namespace

size_t WholeCharactersLength(std::string_view text, UINT codePage) {
    if (codePage == CP_UTF8) {
        return WholeUtf8Length(text);
    }
    CPINFO info{};
    if (::GetCPInfo(codePage, &info) && info.MaxCharSize == 2) {
        return WholeDoubleByteLength(text, codePage);
    }
    return text.size();
}

std::wstring WideText(std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    int size = static_cast<int>(text.size());
    int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    }
    return wide;
}

std::string NarrowText(std::wstring_view text) {
    if (text.empty()) {
        return std::string();
    }
    int size = static_cast<int>(text.size());
    int length = ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), length, nullptr,
                              nullptr);
    }
    return narrow;
}

} // namespace sys
