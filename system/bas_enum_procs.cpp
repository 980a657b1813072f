#include "system/bas_enum_procs.h"

#include "system/address.h"
#include "system/ansi_text.h"

#include <algorithm>
#include <vector>

namespace basEnumProcs {

namespace {

constexpr DWORD kMessageFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr DWORD kMessageBufferSize = 256;
// FormatMessage never writes more than 64 KB.
constexpr DWORD kLargestMessage = 64 * 1024;
constexpr int32_t kErrorNumberBase = -2147192504; // 0x80047148

std::string SystemMessage(sys::Os& os, int32_t code) {
    std::vector<char> buffer(kMessageBufferSize, '\0');
    DWORD written = os.FormatMessageA(kMessageFlags, static_cast<DWORD>(code), 0, buffer.data(),
                                      kMessageBufferSize);
    if (written == 0 && os.GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        // Longer than 255 characters: fetch it whole rather than claim there is no text.
        buffer.assign(kLargestMessage, '\0');
        written = os.FormatMessageA(kMessageFlags, static_cast<DWORD>(code), 0, buffer.data(),
                                    kLargestMessage);
    }
    if (written == 0) {
        return "<No such error>";
    }
    std::string text = StripNul(buffer.data(), std::min<size_t>(written, buffer.size()));
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) {
        text.resize(text.size() - 2);
    }
    return text;
}

std::string OwnExeBaseName(sys::Os& os) {
    char buffer[MAX_PATH + 1] = {};
    DWORD length = os.GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path = StripNul(buffer, std::min<DWORD>(length, MAX_PATH));
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

std::string GetErrorText(sys::Os& os, int32_t code) {
    std::string message = SystemMessage(os, code);
    return "Error: " + std::to_string(code) + "(&H" + sys::HexDigits(static_cast<uint32_t>(code)) +
           "): " + message;
}

sys::RaisedError MakeWinError(sys::Os& os, int32_t code) {
    // Wraps in 32 bits: even the lowest codes still yield a number.
    auto number =
        static_cast<int32_t>(static_cast<uint32_t>(code) + static_cast<uint32_t>(kErrorNumberBase));
    return sys::RaisedError(number, OwnExeBaseName(os) + ".Windows", GetErrorText(os, code));
}

void RaiseWinError(sys::Os& os, int32_t code) { throw MakeWinError(os, code); }

std::string StripNul(std::string_view text) {
    size_t end = text.find('\0');
    if (end == std::string_view::npos) {
        end = sys::WholeCharactersLength(text, ::GetACP());
    }
    return std::string(text.substr(0, end));
}

std::string StripNul(const char* buffer, size_t size) {
    return StripNul(std::string_view(buffer, size));
}

sys::ProcessHandle OpenProcessQuery(sys::Os& os, int32_t processId) {
    return sys::ProcessHandle(
        os, os.OpenProcess(kProcessQueryAccess, FALSE, static_cast<DWORD>(processId)));
}

sys::ProcessHandle OpenProcessLimited(sys::Os& os, int32_t processId) {
    return sys::ProcessHandle(os, os.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                                 static_cast<DWORD>(processId)));
}

} // namespace basEnumProcs
