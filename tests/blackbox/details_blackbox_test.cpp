// The details of one selected process: its path, memory counters, modules and the
// version line of a module, compared with what the system says about the same
// process. Also the viewer started beside planted copies of the DLLs it loads.

#include "tests/blackbox/folders.h"
#include "tests/blackbox/helper_process.h"
#include "tests/blackbox/remote_window.h"
#include "tests/blackbox/row_text.h"
#include "tests/blackbox/system_view.h"
#include "tests/blackbox/viewed_helper.h"
#include "tests/blackbox/viewer_session.h"

#include "res/version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <utility>

namespace blackbox {
namespace {

using main_window::MainControl;

std::vector<ModuleRow> ModuleRowsOf(const ViewerSession& viewer) {
    std::vector<ModuleRow> modules;
    for (const std::string& row : viewer.Rows(MainControl::lstModules)) {
        auto module = ParseModuleRow(row);
        EXPECT_TRUE(module.has_value()) << "not a module row: " << row;
        if (module) {
            modules.push_back(*module);
        }
    }
    return modules;
}

class ProcessDetails : public ViewedHelper {
protected:
    void SetUp() override {
        ViewedHelper::SetUp();
        viewer->SelectProcess(helper->Id());
    }

    std::vector<ModuleRow> ModuleRows() const { return ModuleRowsOf(*viewer); }
};

void ExpectNumberAfter(const std::string& label, const std::string& prefix) {
    ASSERT_TRUE(StartsWith(label, prefix)) << label;
    ASSERT_GT(label.size(), prefix.size()) << "no number in: " << label;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(label[prefix.size()]))) << label;
}

const ModuleRow* Find(const std::vector<ModuleRow>& rows, const std::string& name) {
    for (const ModuleRow& row : rows) {
        if (EqualIgnoringCase(row.name, name)) {
            return &row;
        }
    }
    return nullptr;
}

TEST_F(ProcessDetails, ShowsTheHelpersPathAndMemoryCounters) {
    std::string status = viewer->Text(MainControl::txtStatus);
    EXPECT_TRUE(EqualIgnoringCase(status, MainModulePath(helper->Handle())))
        << status << " vs " << MainModulePath(helper->Handle());
    EXPECT_TRUE(EqualIgnoringCase(status, OwnExePath())) << status << " vs " << OwnExePath();
    ExpectNumberAfter(viewer->Text(MainControl::lblWorkingSet), "Working Set Size: ");
    ExpectNumberAfter(viewer->Text(MainControl::lblPageFile), "Page File Usage: ");
    // Wine counts no page faults, so the number may be missing there.
    EXPECT_TRUE(StartsWith(viewer->Text(MainControl::lblPageFaults), "Page Faults: "));
}

// The 32-bit edition orders bases as signed 32-bit numbers, the 64-bit edition a
// 64-bit process's bases unsigned.
bool InBaseOrder(uint64_t earlier, uint64_t later) {
    if (kSixtyFourBitEdition) {
        return earlier <= later;
    }
    return static_cast<int32_t>(earlier) <= static_cast<int32_t>(later);
}

TEST_F(ProcessDetails, ListsTheHelpersModulesInTheEditionsBaseOrder) {
    std::vector<ModuleRow> rows = ModuleRows();
    std::vector<ModuleFacts> facts = ModulesOf(helper->Handle());
    EXPECT_EQ(rows.size(), facts.size()) << "the system reports another number of modules";
    for (size_t k = 1; k < rows.size(); ++k) {
        EXPECT_TRUE(InBaseOrder(rows[k - 1].base, rows[k].base))
            << rows[k - 1].name << " before " << rows[k].name;
    }
    const ModuleRow* exe = Find(rows, OwnExeName());
    ASSERT_NE(exe, nullptr) << "the helper's exe is not listed";
    EXPECT_EQ(exe->base, kHelperImageBase);
    EXPECT_NE(Find(rows, "ntdll.dll"), nullptr);
    EXPECT_NE(Find(rows, "kernel32.dll"), nullptr);

    uint64_t bytes = 0;
    for (const ModuleRow& row : rows) {
        EXPECT_EQ(DigitsOf(row.sizeInWords), std::to_string(row.size)) << row.name;
        bytes += row.size;
    }
    std::string caption = viewer->Text(MainControl::lblModules);
    std::string count = std::to_string(rows.size()) + " Modules taking ";
    ASSERT_TRUE(StartsWith(caption, count)) << caption;
    EXPECT_TRUE(EndsWith(caption, " bytes")) << caption;
    EXPECT_EQ(DigitsOf(caption.substr(count.size())), std::to_string(bytes)) << caption;
}

// Every digit of the edition's pointer width, a blank between groups of four.
std::string DriverAddressText(uint64_t base) {
    std::string digits;
    for (int shift = static_cast<int>(sizeof(void*)) * 8 - 4; shift >= 0; shift -= 4) {
        digits += "0123456789ABCDEF"[(base >> shift) & 0xF];
        if (shift != 0 && shift % 16 == 0) {
            digits += ' ';
        }
    }
    return digits;
}

TEST_F(ProcessDetails, TheDriverListIsTheSystemsModuleInformation) {
    std::vector<DriverFacts> drivers = DriversOfTheSystem();
    std::stable_sort(drivers.begin(), drivers.end(),
                     [](const DriverFacts& a, const DriverFacts& b) { return a.base < b.base; });
    std::vector<std::string> expected;
    for (const DriverFacts& driver : drivers) {
        expected.push_back(driver.name + " @ " + DriverAddressText(driver.base));
    }
    if (RunningUnderWine()) {
        ASSERT_GE(expected.size(), 3u) << "Wine reports ntoskrnl.exe, hal.dll and mountmgr.sys";
        EXPECT_EQ(drivers[0].name, "ntoskrnl.exe");
    }
    EXPECT_EQ(viewer->Rows(MainControl::lstDrivers), expected);
    EXPECT_EQ(viewer->Text(MainControl::lblDrivers), std::to_string(expected.size()) + " Drivers");
    for (int row : {0, static_cast<int>(drivers.size()) - 1}) {
        if (row < 0) {
            break;
        }
        ASSERT_TRUE(SelectRow(viewer->Control(MainControl::lstDrivers), row));
        EXPECT_EQ(viewer->Text(MainControl::txtFilePath), drivers[row].path);
        EXPECT_EQ(viewer->Text(MainControl::txtVersionInfo), "");
    }
}

TEST_F(ProcessDetails, SelectingAModuleShowsItsFile) {
    for (const ModuleFacts& module : ModulesOf(helper->Handle())) {
        if (!EqualIgnoringCase(module.name, "ntdll.dll") &&
            !EqualIgnoringCase(module.name, OwnExeName())) {
            continue;
        }
        viewer->SelectModule(module.name);
        std::string shown = viewer->Text(MainControl::txtFilePath);
        EXPECT_TRUE(EqualIgnoringCase(shown, module.path)) << shown << " vs " << module.path;
    }
}

// The 64-bit edition with its own process selected: one viewer for the suite,
// whose tests only read it.
class ViewersOwnProcess : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (kSixtyFourBitEdition) {
            viewer = std::make_unique<ViewerSession>();
            viewer->SelectProcess(viewer->Id());
            rows = ModuleRowsOf(*viewer);
        }
    }
    static void TearDownTestSuite() { viewer.reset(); }
    void SetUp() override {
        if (!kSixtyFourBitEdition) {
            GTEST_SKIP() << kSixtyFourBitEditionOnly;
        }
        ASSERT_NE(viewer, nullptr) << "the viewer did not start";
        ASSERT_FALSE(rows.empty()) << "the viewer lists no module of its own";
    }

    static std::unique_ptr<ViewerSession> viewer;
    static std::vector<ModuleRow> rows;
};

std::unique_ptr<ViewerSession> ViewersOwnProcess::viewer;
std::vector<ModuleRow> ViewersOwnProcess::rows;

std::string FileNameOf(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

// Wine maps each module's file header at the module's base, then those sections it
// can map straight from the file, inside the image; the others it copies into
// anonymous memory. So at the base Linux maps the module's file from offset 0, and
// every later mapping of that file up to its next header lies inside the image,
// whose size is the file's own SizeOfImage.
void ExpectFileMappedAtItsBase(const std::vector<LinuxMapping>& maps, const ModuleRow& module) {
    std::string where = module.name + " @ " + GroupedHex(module.base);
    auto header = std::find_if(maps.begin(), maps.end(),
                               [&](const LinuxMapping& m) { return m.start == module.base; });
    if (header == maps.end()) {
        ADD_FAILURE() << where << ": Linux maps nothing at that base";
        return;
    }
    if (header->offset != 0 || !EqualIgnoringCase(FileNameOf(header->path), module.name)) {
        ADD_FAILURE() << where << ": Linux maps " << header->path << " from offset "
                      << header->offset << " there";
        return;
    }
    for (auto m = header + 1; m != maps.end() && !(m->path == header->path && m->offset == 0);
         ++m) {
        if (m->path == header->path) {
            EXPECT_LE(m->end, module.base + module.size)
                << where << ": its file is mapped up to " << GroupedHex(m->end)
                << ", past its size " << GroupedHex(module.size);
        }
    }
    EXPECT_EQ(module.size, ImageSizeOfFile(WindowsPath(header->path))) << where;
}

// The viewer's own process: its exe at the base the system gives its main module,
// and every module where the kernel's own record of that process maps its file.
TEST_F(ViewersOwnProcess, ExeAndEveryModuleLieWhereLinuxMapsTheirFiles) {
    std::vector<ModuleFacts> facts = ModulesOf(viewer->Process());
    EXPECT_EQ(rows.size(), facts.size()) << "the system reports another number of modules";
    const ModuleRow* exe = Find(rows, FileNameOf(ViewerPath()));
    ASSERT_NE(exe, nullptr) << "the viewer's exe is not listed";
    EXPECT_EQ(exe->base, facts.front().base) << "not where the system has the viewer's exe";

    std::vector<LinuxMapping> maps = LinuxMappingsOf(FileNameOf(ViewerPath()));
    for (const ModuleRow& row : rows) {
        ExpectFileMappedAtItsBase(maps, row);
    }
}

uint64_t RoundedDownToGigabyte(uint64_t address) { return address & ~((uint64_t{1} << 30) - 1); }

// Over the bar: S, the lowest module base rounded down to whole gigabytes, the
// quarter points, and E, the highest module end rounded up, from left to right.
TEST_F(ViewersOwnProcess, BarLabelsNameTheGigabytesItsModulesSpan) {
    uint64_t lowest = ~uint64_t{0};
    uint64_t highestEnd = 0;
    for (const ModuleRow& row : rows) {
        lowest = std::min(lowest, row.base);
        highestEnd = std::max(highestEnd, row.base + row.size);
    }
    uint64_t start = RoundedDownToGigabyte(lowest);
    uint64_t end = RoundedDownToGigabyte(highestEnd + (uint64_t{1} << 30) - 1);
    uint64_t quarter = (end - start) / 4;
    std::pair<MainControl, uint64_t> labels[] = {{MainControl::Label1, start},
                                                 {MainControl::Label4, start + quarter},
                                                 {MainControl::Label3, start + 2 * quarter},
                                                 {MainControl::Label5, start + 3 * quarter},
                                                 {MainControl::Label2, end}};
    for (const auto& [label, address] : labels) {
        EXPECT_EQ(viewer->Text(label), "&&H" + GroupedHex(address));
    }
}

// On 64-bit Windows this 32-bit viewer reads a 64-bit process's path and counters
// but not its module list: the module side stays empty and the status line says why.
TEST_F(SixtyFourBitProcess, ShowsItsCountersAndWhyItsModulesAreMissing) {
    UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, listed.id));
    HMODULE module = nullptr;
    DWORD needed = 0;
    ASSERT_FALSE(::EnumProcessModules(process.Get(), &module, sizeof module, &needed));
    DWORD error = ::GetLastError();

    std::string status = viewer->Text(MainControl::txtStatus);
    EXPECT_TRUE(StartsWith(status, "Error: " + std::to_string(error) + "(&H")) << status;
    ExpectNumberAfter(viewer->Text(MainControl::lblWorkingSet), "Working Set Size: ");
    ExpectNumberAfter(viewer->Text(MainControl::lblPageFile), "Page File Usage: ");
    EXPECT_EQ(viewer->Text(MainControl::lblModules), "No modules");
    EXPECT_EQ(RowCount(viewer->Control(MainControl::lstModules)), 0);
    std::string row =
        RowText(viewer->Control(MainControl::lstProcesses), viewer->RowOfProcess(listed.id));
    EXPECT_TRUE(StartsWith(row, std::to_string(listed.id) + " - " + listed.name + " (")) << row;
}

std::string VersionLine(const std::string& fileVersion, const std::string& productVersion,
                        const std::string& path, const std::string& company) {
    return "File Ver " + fileVersion + " - Product Ver " + productVersion +
           " - Date: " + LocalWriteTime(path) + " - Co: " + company;
}

// Selects a process, then its exe in the module list, as a user would, and waits
// for the exe's version line.
void SelectExe(ViewerSession& viewer, DWORD processId, const std::string& exePath) {
    viewer.SelectProcess(processId);
    viewer.SelectModule(FileNameOf(exePath));
    viewer.WaitFor("the version line of " + exePath, [&] {
        return StartsWith(viewer.Text(MainControl::txtVersionInfo), "File Ver ");
    });
    std::string shown = viewer.Text(MainControl::txtFilePath);
    EXPECT_TRUE(EqualIgnoringCase(shown, exePath)) << shown << " vs " << exePath;
}

// The viewer's own exe, wherever it was started from, shows the viewer's version.
void ExpectOwnVersionLine(ViewerSession& viewer, const std::string& exePath) {
    SelectExe(viewer, viewer.Id(), exePath);
    EXPECT_EQ(viewer.Text(MainControl::txtVersionInfo),
              VersionLine(VELMORA_VERSION_TEXT, VELMORA_VERSION_TEXT, exePath, "Velmora"));
}

// (The viewer's own version resource is the version tests'; PlantedViewer below reads
// its line to make the viewer load version.dll.)
TEST_F(ProcessDetails, VersionLineOfAModule) {
    SelectExe(*viewer, ::GetCurrentProcessId(), OwnExePath());
    EXPECT_EQ(viewer->Text(MainControl::txtVersionInfo),
              VersionLine("3.1.4.1", "2.7.0.0", OwnExePath(), "Velmora Test Co"));
}

// DLL planting: psapi.dll and version.dll stand-ins that leave NAME.loaded beside
// themselves when loaded (see tests/reliability/planting) lie beside a copy of
// the viewer and in the folder it starts in. Their folder comes in
// VELMORA_PLANTED_DLLS, and the run needs psapi=n,b: Wine otherwise runs its own
// psapi whatever file it finds, and nothing planted could ever load.
constexpr const char* kPlantedDlls[] = {"psapi.dll", "version.dll"};
constexpr char kPlantedMarker[] = ".loaded";

std::string PlantedDllsFolder() {
    const char* folder = std::getenv("VELMORA_PLANTED_DLLS");
    return folder != nullptr ? WindowsPath(folder) : std::string();
}

class PlantedViewer : public ::testing::Test {
protected:
    void SetUp() override {
        std::string planted = PlantedDllsFolder();
        if (planted.empty()) {
            GTEST_SKIP() << "VELMORA_PLANTED_DLLS names no folder";
        }
        TearDown(); // what an interrupted run left
        ASSERT_TRUE(::CreateDirectoryA(root.c_str(), nullptr)) << root;
        for (const std::string& folder : {exeFolder, currentFolder}) {
            ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder;
            for (const char* dll : kPlantedDlls) {
                ASSERT_TRUE(CopyFileTo(planted + "\\" + dll, folder + "\\" + dll));
            }
        }
        ASSERT_TRUE(CopyFileTo(ViewerPath(), exe));
    }
    void TearDown() override {
        RemoveFolder(exeFolder);
        RemoveFolder(currentFolder);
        ::RemoveDirectoryA(root.c_str());
    }

    const std::string root = CurrentFolder() + "\\planted_viewer";
    const std::string exeFolder = root + "\\exe";
    const std::string currentFolder = root + "\\current";
    const std::string exe = exeFolder + "\\velmora.exe";
};

void RunViewerAndReadItsOwnVersion(const std::string& exe, const std::string& currentFolder) {
    ViewerSession viewer(exe, currentFolder);
    ExpectOwnVersionLine(viewer, exe);
    EXPECT_TRUE(viewer.ExitThroughPrompt(kStepTimeoutMs)) << "the viewer did not end";
}

TEST_F(PlantedViewer, LoadsNeitherPlantedDllFromItsOwnFolderNorFromItsCurrentFolder) {
    EXPECT_NO_THROW(RunViewerAndReadItsOwnVersion(exe, currentFolder));
    for (const std::string& folder : {exeFolder, currentFolder}) {
        for (const std::string& marker : FilesEndingIn(folder, kPlantedMarker)) {
            ADD_FAILURE() << "a planted DLL was loaded: " << folder << "\\" << marker;
        }
    }
}

} // namespace
} // namespace blackbox
