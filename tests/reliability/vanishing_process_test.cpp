// Processes that end mid-operation, through the fake: Before hooks take the
// process (or its modules or regions) away at the chosen call.

#include "system/bas_enum_procs.h"
#include "tests/reliability/scene.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace reliability {

namespace {

using main_window::MainControl;
using memory_map::MapControl;

// Erases what `erase` removes just before call number `onCall` of `call`.
void EndBefore(fake::FakeOs& os, const std::string& call, int onCall, std::function<void()> erase) {
    auto seen = std::make_shared<int>(0);
    os.Before(call, [seen, onCall, erase] {
        if (++*seen == onCall) {
            erase();
        }
    });
}

void ExpectBalanced(const fake::FakeOs& os) {
    EXPECT_EQ(os.OpenHandles(), 0);
    EXPECT_EQ(os.badCloses, 0);
}

TEST(VanishingProcess, EndsBetweenTheIdEnumerationAndItsOpen) {
    Scene scene;
    scene.SelectProcess(0);
    scene.os.ResetCounts();
    // The ids are read; beta ends before the second open.
    EndBefore(scene.os, "OpenProcess", 2, [&] { scene.os.processes.erase(12); });
    scene.Click(MainControl::cmdRefresh);
    EXPECT_EQ(scene.Rows(MainControl::lstProcesses),
              (std::vector<std::string>{"8 - alpha.exe (normal)", "12 -  ()"}));
    EXPECT_EQ(scene.Text(MainControl::lblProcesses), "2 Processes");
    // Selecting the row of the ended process opens nothing and shows nothing of alpha.
    scene.SelectProcess(1);
    scene.ExpectModuleSideCleared();
    scene.ExpectNothingOfAlpha();
    EXPECT_TRUE(scene.os.messageBoxes.empty());
    ExpectBalanced(scene.os);
}

TEST(VanishingProcess, EndsBetweenItsOpenAndTheModuleQueries) {
    Scene scene;
    scene.os.ResetCounts();
    EndBefore(scene.os, "EnumProcessModules", 2, [&] { scene.os.processes.erase(12); });
    scene.Click(MainControl::cmdRefresh);
    EXPECT_EQ(scene.Rows(MainControl::lstProcesses),
              (std::vector<std::string>{"8 - alpha.exe (normal)", "12 -  ()"}));
    ExpectBalanced(scene.os);

    // Listed alive, selected while it ends: after the counters, before the modules.
    Scene selected;
    selected.SelectProcess(0);
    EndBefore(selected.os, "EnumProcessModules", 1, [&] { selected.os.processes.erase(12); });
    selected.os.ResetCounts();
    selected.SelectProcess(1);
    EXPECT_EQ(selected.Text(MainControl::txtStatus), "Error: 6(&H6): Invalid handle.");
    EXPECT_EQ(selected.Text(MainControl::lblWorkingSet), "Working Set Size: 222,222");
    EXPECT_EQ(selected.Text(MainControl::lblModules), "No modules");
    selected.ExpectNothingOfAlpha();
    ExpectBalanced(selected.os);

    // ... or before its counters.
    Scene early;
    early.SelectProcess(0);
    EndBefore(early.os, "GetProcessMemoryInfo", 1, [&] { early.os.processes.erase(12); });
    early.SelectProcess(1);
    EXPECT_EQ(early.Text(MainControl::txtStatus), "Error: 6(&H6): Invalid handle.");
    early.ExpectModuleSideCleared();
    early.ExpectNothingOfAlpha();
    ExpectBalanced(early.os);
}

TEST(VanishingProcess, ModulesUnloadedBetweenTheEnumerationAndTheirNames) {
    Scene scene;
    scene.SelectProcess(0);
    // Beta's library goes away after the enumeration listed it.
    EndBefore(scene.os, "GetModuleBaseNameA", 2, [&] { scene.os.processes[12].modules.resize(1); });
    scene.SelectProcess(1);
    EXPECT_EQ(scene.Rows(MainControl::lstModules),
              (std::vector<std::string>{" @ 0: 0 ()", "beta.exe @ 400000: 1A000 (106,496)"}));
    EXPECT_EQ(scene.Text(MainControl::lblModules), "2 Modules taking 106,496 bytes");
    scene.ExpectNothingOfAlpha();
    ExpectBalanced(scene.os);
}

TEST(VanishingProcess, EndsInTheMiddleOfARegionWalk) {
    Scene scene;
    scene.OpenMap();
    EndBefore(scene.os, "VirtualQueryEx", 3, [&] { scene.os.processes.erase(8); });
    scene.map->cmdMap_Click();
    EXPECT_EQ(scene.MapLines(),
              (std::vector<std::string>{"0 - FFFF\t16 pp\tFREE",
                                        "1 0000 - 1 0FFF\t1 pp\tCOMMIT\tPRIVATE\tREADWRITE"}));
    EXPECT_EQ(scene.MapText(MapControl::txtFree), "16 free pages");
    ExpectBalanced(scene.os);
    // Mapping it again finds no process: the box says so and nothing is opened.
    scene.map->cmdMap_Click();
    EXPECT_TRUE(scene.ShowedBox(memory_map::kOpenFailedText));
    ExpectBalanced(scene.os);
}

TEST(VanishingProcess, AddressSpaceAndModulesGoneMidWalk) {
    Scene scene;
    scene.OpenMap();
    // The process lives on, but its image is unmapped while the walk is under way.
    EndBefore(scene.os, "VirtualQueryEx", 4, [&] {
        fake::Process& alpha = scene.os.processes[8];
        alpha.modules.clear();
        alpha.regions.resize(3);
    });
    scene.map->cmdMapFree_Click();
    EXPECT_EQ(scene.MapLines(), (std::vector<std::string>{"0 - FFFF\t16 pp\tFREE",
                                                          "1 1000 - 3F FFFF\t1007 pp\tFREE"}));
    EXPECT_EQ(scene.MapText(MapControl::txtFree), "1023 free pages");

    // Modules gone, regions still there: the image line stays, without a path.
    Scene unloaded;
    unloaded.OpenMap();
    EndBefore(unloaded.os, "GetModuleFileNameExA", 1,
              [&] { unloaded.os.processes[8].modules.clear(); });
    unloaded.map->cmdMap_Click();
    ASSERT_EQ(unloaded.MapLines().size(), 5u);
    EXPECT_EQ(unloaded.MapLines()[3], "40 0000 - 40 0FFF\t1 pp\tCOMMIT\tIMAGE\tREADONLY");
    ExpectBalanced(unloaded.os);
}

} // namespace

} // namespace reliability
