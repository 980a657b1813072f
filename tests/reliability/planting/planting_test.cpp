// DLL planting: version.dll and psapi.dll stand-ins that leave a marker when
// loaded lie beside this program, which is built from the viewer's code, and
// in its current folder. The viewer's system layer binds both DLLs from the
// system folder only: the process list, the module list and the version line
// come from the system's copies, and neither marker appears.
//
// Under Wine the test runs with psapi=n,b: as on Windows, a psapi.dll found
// first in the search order is then loaded as it is (Wine's default would run
// its own psapi whatever file it found, and no planting could ever succeed).
// version.dll keeps Wine's default: Wine's own user32 imports it, so with n,b
// a planted copy would load before any of the program's code, which Windows's
// user32 does not do.

#include "main_window/module_table.h"
#include "main_window/process_snapshot.h"
#include "system/bas_enum_procs.h"
#include "system/handles.h"
#include "system/version_summary.h"
#include "system/windows_os.h"
#include "tests/kit/programs.h"
#include "tests/kit/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr const char* kPlanted[] = {"version.dll", "psapi.dll"};
constexpr char kOwnName[] = "velmora_planting_tests.exe";

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

TEST(Planting, TheSystemLayerBindsOnlyTheSystemCopies) {
    ExpectPlantedSetting();
    RemoveMarkers();
    sys::WindowsOs os;

    main_window::ProcessSnapshot snapshot = main_window::TakeProcessSnapshot(os);
    auto own = std::find(snapshot.lPIDs.begin(), snapshot.lPIDs.end(),
                         static_cast<int32_t>(::GetCurrentProcessId()));
    ASSERT_NE(own, snapshot.lPIDs.end());
    EXPECT_EQ(snapshot.sProcNames[static_cast<size_t>(own - snapshot.lPIDs.begin())], kOwnName);
    {
        sys::ProcessHandle process(
            os, basEnumProcs::OpenProcessQuery(os, static_cast<int32_t>(::GetCurrentProcessId())));
        ASSERT_TRUE(process);
        main_window::ModuleListing modules = main_window::ReadModules(os, process.Get());
        ASSERT_TRUE(modules.succeeded);
        const auto& names = modules.table.sModuleNames;
        EXPECT_NE(std::find(names.begin(), names.end(), kOwnName), names.end());
    }
    std::string line = basEnumProcs::GetVersionSummary(os, testkit::OwnExePath());
    EXPECT_EQ(line.rfind("File Ver 3.1.4.1 - Product Ver 3.1.0.0 - Date: ", 0), 0u) << line;
    const std::string company = " - Co: Planting Check";
    EXPECT_TRUE(line.size() > company.size() &&
                line.compare(line.size() - company.size(), company.size(), company) == 0)
        << line;

    for (const char* dll : kPlanted) {
        EXPECT_FALSE(Exists(Marker(dll))) << "the planted " << dll << " was loaded";
    }
    HMODULE psapi = ::GetModuleHandleA("psapi.dll");
    ASSERT_NE(psapi, nullptr);
    EXPECT_EQ(Lower(ModulePath(psapi)), Lower(SystemFolder() + "psapi.dll"));
}

// Each of the next two runs in a process of its own, where psapi.dll is not
// loaded yet: a load by bare name would otherwise return the loaded module.

// The check above can fail: a plain load by name picks the planted copy.
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
