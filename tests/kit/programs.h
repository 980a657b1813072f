#pragma once
// What the test and bench programs need of programs: where their own exe and
// the viewer's are, and another program started with its handle owned.

#include "tests/kit/handles.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace testkit {

inline std::string OwnExePath() {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

// The folder of this program's exe, with its closing backslash.
inline std::string OwnFolder() {
    std::string path = OwnExePath();
    return path.substr(0, path.find_last_of("\\/") + 1);
}

// This program's file name: a helper started from it has the same.
inline std::string OwnExeName() { return OwnExePath().substr(OwnFolder().size()); }

// A Unix path as Wine's programs see it, through drive Z:.
inline std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The viewer under test, from VELMORA_EXE (empty when it is not set).
inline std::string ViewerPath() {
    const char* path = std::getenv("VELMORA_EXE");
    return WindowsPath(path != nullptr ? path : "");
}

struct StartedProcess {
    UniqueHandle process; // empty when the start failed
    DWORD id = 0;
    DWORD error = 0; // the last error of a failed start
};

// Starts `commandLine` in `currentFolder` (empty: this program's). With
// `standardHandles` (STARTF_USESTDHANDLES) the child inherits those handles.
inline StartedProcess StartProcess(std::string commandLine, const std::string& currentFolder = {},
                                   const STARTUPINFOA* standardHandles = nullptr) {
    STARTUPINFOA startup{};
    if (standardHandles != nullptr) {
        startup = *standardHandles;
    }
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    StartedProcess started;
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr,
                          standardHandles != nullptr ? TRUE : FALSE, 0, nullptr,
                          currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup,
                          &info)) {
        started.error = ::GetLastError();
        return started;
    }
    UniqueHandle thread(info.hThread);
    started.process = UniqueHandle(info.hProcess);
    started.id = info.dwProcessId;
    return started;
}

} // namespace testkit
