#include "tests/blackbox/folders.h"

#include "tests/blackbox/row_text.h"

#include <windows.h>

namespace blackbox {

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder, length);
}

std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            EndsWith(found.cFileName, suffix)) {
            names.emplace_back(found.cFileName);
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

void RemoveFolder(const std::string& folder) {
    for (const std::string& name : FilesEndingIn(folder, "")) {
        ::DeleteFileA((folder + "\\" + name).c_str());
    }
    ::RemoveDirectoryA(folder.c_str());
}

::testing::AssertionResult CopyFileTo(const std::string& from, const std::string& to) {
    if (::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "could not copy " << from << " to " << to << ": error " << ::GetLastError();
}

} // namespace blackbox
