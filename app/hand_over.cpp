#include "app/hand_over.h"

#include "system/address.h"
#include "system/handles.h"

#include <optional>
#include <string>

namespace app {

namespace {

// Only on x64 Windows: 32-bit Windows cannot run the 64-bit edition, and on ARM64
// Windows it would run emulated just as this one does.
bool RunsUnderWow64OnX64(sys::Os& os) {
    BOOL wow64 = FALSE;
    // Fails with ERROR_PROC_NOT_FOUND on systems without WOW64.
    if (!os.IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) {
        return false;
    }
    SYSTEM_INFO native{};
    os.GetNativeSystemInfo(&native);
    return native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

// This program's exe path; nothing when it cannot be had whole (a cut path
// would name another folder).
std::optional<std::string> OwnExePath(sys::Os& os) {
    char path[MAX_PATH] = {};
    DWORD length = os.GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::nullopt;
    }
    return std::string(path, length);
}

// The 64-bit edition's path beside this program, when that file is there and is
// not this program itself: a 32-bit exe that carries the 64-bit edition's name
// would otherwise start itself again and again.
std::optional<std::string> EditionBeside(sys::Os& os, const std::string& ownPath) {
    size_t folderEnd = ownPath.find_last_of('\\');
    if (folderEnd == std::string::npos ||
        ::lstrcmpiA(ownPath.c_str() + folderEnd + 1, k64BitEditionName) == 0) {
        return std::nullopt;
    }
    std::string path = ownPath.substr(0, folderEnd + 1) + k64BitEditionName;
    WIN32_FILE_ATTRIBUTE_DATA file{};
    if (!os.GetFileAttributesExA(path.c_str(), &file)) {
        return std::nullopt;
    }
    return path;
}

bool Start(sys::Os& os, const std::string& path, int showCommand) {
    // The command line is the quoted path alone, the program's name as its first
    // argument; CreateProcessA may write into it.
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // A shortcut set to open minimised opens the 64-bit edition minimised too.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION started{};
    if (!os.CreateProcessA(path.c_str(), commandLine.data(), FALSE, 0, nullptr, &startup,
                           &started)) {
        return false;
    }
    // Both are kernel handles, closed through the Os like an opened process's.
    sys::ProcessHandle process(os, started.hProcess);
    sys::ProcessHandle thread(os, started.hThread);
    return true;
}

} // namespace

HandOver HandOverTo64BitEdition(sys::Os& os, int showCommand) {
    if (!RunsUnderWow64OnX64(os)) {
        return HandOver::stayed;
    }
    std::optional<std::string> ownPath = OwnExePath(os);
    std::optional<std::string> edition = ownPath ? EditionBeside(os, *ownPath) : std::nullopt;
    return edition && Start(os, *edition, showCommand) ? HandOver::handedOver : HandOver::stayed;
}

HandOver HandOverFromThe32BitEdition(sys::Os& os, int showCommand) {
    if constexpr (sys::kEditionWidth == sys::AddressWidth::Bits32) {
        return HandOverTo64BitEdition(os, showCommand);
    } else {
        return HandOver::stayed;
    }
}

} // namespace app
