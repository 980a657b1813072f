#include "system/system_library.h"

#include "system/bas_enum_procs.h"
#include "system/raised_error.h"

#include <string>

namespace sys {

namespace {

// Loads a DLL from the system directory and nowhere else: a psapi.dll or
// version.dll planted beside a downloaded exe or in the current folder must
// never be picked up.
HMODULE LoadSystemLibrary(const char* name) {
    HMODULE library = ::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library != nullptr || ::GetLastError() != ERROR_INVALID_PARAMETER) {
        return library;
    }
    // Systems without the search flags: name the file by its full path.
    char folder[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    std::string path = std::string(folder, length) + "\\" + name;
    return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace

SystemLibrary::~SystemLibrary() {
    if (module_ != nullptr) {
        ::FreeLibrary(module_);
    }
}

FARPROC SystemLibrary::Entry(Os& os, const char* function) {
    FARPROC entry = TryEntry(function);
    DWORD code = ::GetLastError();
    if (entry == nullptr) {
        std::string where = std::string(" (") + name_ + "!" + function + ")";
        RaisedError error = basEnumProcs::MakeWinError(os, static_cast<int32_t>(code));
        throw RaisedError(error.Number(), error.Source(), error.Description() + where);
    }
    return entry;
}

FARPROC SystemLibrary::TryEntry(const char* function) {
    if (module_ == nullptr) {
        module_ = LoadSystemLibrary(name_);
        if (module_ == nullptr) {
            return nullptr;
        }
    }
    return ::GetProcAddress(module_, function);
}

SystemLibrary& Kernel32() {
    static SystemLibrary kernel32{"kernel32.dll"};
    return kernel32;
}

SystemLibrary& User32() {
    static SystemLibrary user32{"user32.dll"};
    return user32;
}

} // namespace sys
