#include "system/version_summary.h"

#include "system/address.h"
#include "system/bas_enum_procs.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace basEnumProcs {

namespace {

constexpr uint16_t kUsEnglish = 1033;
constexpr uint16_t kUnicodeCodePage = 1200;

// A value inside the version block. Whatever length the system reports, only
// bytes inside the block are ever read.
struct BlockValue {
    const BYTE* data;
    size_t length;
};

std::optional<BlockValue> QueryValue(sys::Os& os, const std::vector<BYTE>& block,
                                     const char* subBlock) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (!os.VerQueryValueA(block.data(), subBlock, &value, &length) || value == nullptr) {
        return std::nullopt;
    }
    auto* begin = static_cast<const BYTE*>(value);
    const BYTE* end = block.data() + block.size();
    if (begin < block.data() || begin >= end) {
        return std::nullopt;
    }
    size_t available = static_cast<size_t>(end - begin);
    return BlockValue{begin, length < available ? length : available};
}

// A date or time in the user's format, its length asked for first: in UTF-8 a
// month name may take several bytes a letter.
template <typename Format> std::string FormattedText(Format format) {
    int length = format(nullptr, 0);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<size_t>(length), '\0');
    int written = format(text.data(), length);
    return written > 0 ? StripNul(text.data(), static_cast<size_t>(written)) : std::string();
}

std::string LocalModificationTime(sys::Os& os, const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    FILETIME local{};
    SYSTEMTIME time{};
    if (!os.GetFileAttributesExA(path.c_str(), &attributes) ||
        !os.FileTimeToLocalFileTime(&attributes.ftLastWriteTime, &local) ||
        !os.FileTimeToSystemTime(&local, &time)) {
        return std::string();
    }
    std::string date = FormattedText([&](LPSTR buffer, int size) {
        return os.GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, size);
    });
    std::string clock = FormattedText([&](LPSTR buffer, int size) {
        return os.GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, buffer, size);
    });
    return date.empty() || clock.empty() ? date + clock : date + " " + clock;
}

// The language and code page whose strings are read: the first U.S. English
// entry of the translation list, else its last entry.
std::string TranslationKey(sys::Os& os, const std::vector<BYTE>& block) {
    uint16_t language = kUsEnglish;
    uint16_t codePage = kUnicodeCodePage;
    if (auto list = QueryValue(os, block, "\\VarFileInfo\\Translation")) {
        language = codePage = 0;
        for (size_t at = 0; at + 4 <= list->length; at += 4) {
            std::memcpy(&language, list->data + at, 2);
            std::memcpy(&codePage, list->data + at + 2, 2);
            if (language == kUsEnglish) {
                break;
            }
        }
    }
    return sys::HexDigits(language, 4) + sys::HexDigits(codePage, 4);
}

} // namespace

std::string VersionNumberText(uint32_t mostSignificant, uint32_t leastSignificant) {
    return std::to_string(mostSignificant >> 16) + "." + std::to_string(mostSignificant & 0xFFFF) +
           "." + std::to_string(leastSignificant >> 16) + "." +
           std::to_string(leastSignificant & 0xFFFF);
}

std::string GetVersionSummary(sys::Os& os, const std::string& path) {
    DWORD handle = 0;
    DWORD size = os.GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) {
        return GetErrorText(os, static_cast<int32_t>(os.GetLastError()));
    }
    std::vector<BYTE> block(size, 0);
    if (!os.GetFileVersionInfoA(path.c_str(), handle, size, block.data())) {
        return GetErrorText(os, static_cast<int32_t>(os.GetLastError()));
    }
    auto root = QueryValue(os, block, "\\");
    if (!root || root->length < sizeof(VS_FIXEDFILEINFO)) {
        return std::string();
    }
    VS_FIXEDFILEINFO fixed{};
    std::memcpy(&fixed, root->data, sizeof fixed);
    std::string summary =
        "File Ver " + VersionNumberText(fixed.dwFileVersionMS, fixed.dwFileVersionLS) +
        " - Product Ver " + VersionNumberText(fixed.dwProductVersionMS, fixed.dwProductVersionLS) +
        " - Date: " + LocalModificationTime(os, path);
    std::string companyKey = "\\StringFileInfo\\" + TranslationKey(os, block) + "\\CompanyName";
    auto company = QueryValue(os, block, companyKey.c_str());
    if (!company) {
        return summary; // what could be read stays visible
    }
    // The reported length counts the terminator; a NUL never reaches the text box.
    std::string_view text(reinterpret_cast<const char*>(company->data), company->length);
    return summary + " - Co: " + StripNul(text);
}

} // namespace basEnumProcs
