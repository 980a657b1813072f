#pragma once
// System functions bound by name at run time: DLLs the program does not import
// (PSAPI.DLL, version.dll, shell32), and functions newer than the oldest Windows
// it runs on. Every DLL is taken from the system directory and nowhere else.

#include "system/os.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace sys {

class SystemLibrary {
public:
    explicit SystemLibrary(const char* name) : name_(name) {}
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The entry point; raises the system's error, named with the DLL and the
    // function, when either is missing.
    FARPROC Entry(Os& os, const char* function);
    // nullptr, with the last error set, when the DLL or the function is missing.
    FARPROC TryEntry(const char* function);

private:
    const char* name_;
    HMODULE module_ = nullptr;
};

// One cached entry point, bound on its first call.
template <typename Fn> class Bound {
public:
    Bound(SystemLibrary& library, const char* name) : library_(library), name_(name) {}
    Fn Get(Os& os) {
        if (fn_ == nullptr) {
            fn_ = reinterpret_cast<Fn>(reinterpret_cast<void*>(library_.Entry(os, name_)));
        }
        return fn_;
    }
    // For functions the program can do without: nullptr when this Windows lacks
    // them, looked up only once either way.
    Fn TryGet() {
        if (!looked_) {
            looked_ = true;
            fn_ = reinterpret_cast<Fn>(reinterpret_cast<void*>(library_.TryEntry(name_)));
        }
        return fn_;
    }

private:
    SystemLibrary& library_;
    const char* name_;
    Fn fn_ = nullptr;
    bool looked_ = false;
};

// The DLLs every Win32 process has loaded, for functions that only newer
// Windows have; they live as long as the program.
SystemLibrary& Kernel32();
SystemLibrary& User32();

} // namespace sys
