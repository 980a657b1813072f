// DLL planting: version.dll and psapi.dll stand-ins that leave a marker when
// loaded lie beside this program and in its current folder. (Whether the viewer
// itself loads either is the black-box test PlantedViewer's: the real exe started
// beside them.) Here: a plain load by name does pick the planted copy, so that
// setting can catch a planting; and after the viewer's start-up restriction the
// same load gets the system's copy.
//
// Under Wine the tests run with psapi=n,b: as on Windows, a psapi.dll found first
// in the search order is then loaded as it is (Wine's default would run its own
// psapi whatever file it found, and no planting could ever succeed).

#include "system/windows_os.h"
#include "tests/kit/programs.h"
#include "tests/kit/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr const char* kPlanted[] = {"version.dll", "psapi.dll"};

using testkit::Lower;
using testkit::OwnFolder;

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Marker(const char* dll) { return OwnFolder() + dll + ".loaded"; }

void RemoveMarkers() {
    for (const char* dll : kPlanted) {
        ::DeleteFileA(Marker(dll).c_str());
    }
}

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length);
}

std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder, length) + "\\";
}

void ExpectPlantedSetting() {
    for (const char* dll : kPlanted) {
        ASSERT_TRUE(Exists(OwnFolder() + dll)) << dll << " is not planted beside the program";
    }
    char current[MAX_PATH] = {};
    DWORD length = ::GetCurrentDirectoryA(MAX_PATH, current);
    std::string folder(current, length);
    if (folder.empty() || folder.back() != '\\') {
        folder += '\\';
    }
    ASSERT_EQ(Lower(folder), Lower(OwnFolder())) << "the current folder holds the planted DLLs";
}

// Each runs in a process of its own, where psapi.dll is not loaded yet: a load by
// bare name would otherwise return the loaded module.

// The setting can catch a planting: a plain load by name picks the planted copy.
TEST(PlantingControl, APlainLoadByNamePicksThePlantedCopy) {
    ExpectPlantedSetting();
    RemoveMarkers();
    HMODULE module = ::LoadLibraryA("psapi.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Lower(ModulePath(module)), Lower(OwnFolder() + "psapi.dll"));
    EXPECT_TRUE(Exists(Marker("psapi.dll")));
    ::FreeLibrary(module);
    RemoveMarkers();
}

// After the viewer's start-up restriction, the same plain load (as the
// system's own DLLs make on the program's behalf) gets the system's copy.
TEST(PlantingRestricted, LoadsByNameAfterStartUpComeFromTheSystemFolder) {
    ExpectPlantedSetting();
    RemoveMarkers();
    sys::RestrictLibrarySearchToSystemFolder();
    HMODULE module = ::LoadLibraryA("psapi.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Lower(ModulePath(module)), Lower(SystemFolder() + "psapi.dll"));
    EXPECT_FALSE(Exists(Marker("psapi.dll")));
    ::FreeLibrary(module);
}

} // namespace
