// The modules the viewer lists, and the paths its memory map gives them, for its own
// process and for a helper with many modules: the same as this program reads with
// PSAPI.DLL's calls, module by module.

#include "tests/blackbox/memory_map_window.h"
#include "tests/blackbox/row_text.h"
#include "tests/blackbox/system_view.h"
#include "tests/blackbox/viewer_session.h"
#include "tests/kit/helper_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace blackbox {
namespace {

using main_window::MainControl;

std::string FileNameOf(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

// The map line of the region that starts at `base`, or "".
std::string MapLineAt(const std::vector<std::string>& lines, uint64_t base) {
    std::string start = GroupedHex(base) + " - ";
    for (const std::string& line : lines) {
        if (StartsWith(line, start)) {
            return line;
        }
    }
    return std::string();
}

void ExpectThePsapiModules(ViewerSession& viewer, HANDLE process, DWORD processId,
                           const std::string& exeName) {
    viewer.SelectProcess(processId);
    std::map<uint64_t, ModuleFacts> facts;
    for (ModuleFacts& module : ModulesOf(process)) {
        facts.emplace(module.base, std::move(module));
    }
    std::vector<std::string> rows = viewer.Rows(MainControl::lstModules);
    ASSERT_EQ(rows.size(), facts.size()) << "the system lists another number of modules";
    for (const std::string& text : rows) {
        auto row = ParseModuleRow(text);
        ASSERT_TRUE(row.has_value()) << "not a module row: " << text;
        auto fact = facts.find(row->base);
        ASSERT_NE(fact, facts.end()) << "no module at the base of " << text;
        EXPECT_EQ(row->name, fact->second.name) << text;
        EXPECT_EQ(row->size, fact->second.size) << text;
    }
    MemoryMapWindow map(viewer);
    map.MapAll(exeName);
    std::vector<std::string> lines = SplitLines(map.MapText());
    for (const auto& [base, module] : facts) {
        std::vector<std::string> fields = SplitFields(MapLineAt(lines, base));
        ASSERT_EQ(fields.size(), 6u) << module.name << ": no line with a path at its base";
        EXPECT_EQ(fields[5], module.path) << module.name;
    }
    map.Close();
}

TEST(ModuleWalk, TheViewersOwnModulesAreThoseOfPsapi) {
    ViewerSession viewer;
    ExpectThePsapiModules(viewer, viewer.Process(), viewer.Id(), FileNameOf(ViewerPath()));
}

TEST(ModuleWalk, AHelpersHundredAndMoreModulesAreThoseOfPsapi) {
    if (ModulesHelperPath().empty()) {
        GTEST_SKIP() << "no --modules-helper given";
    }
    std::string folder = ModulesHelperPath().substr(0, ModulesHelperPath().find_last_of('\\'));
    testkit::HelperProcess helper("\"" + ModulesHelperPath() + "\" modules \"" + folder +
                                  "\\modules\" 120");
    ViewerSession viewer;
    ExpectThePsapiModules(viewer, helper.Handle(), helper.Id(), FileNameOf(ModulesHelperPath()));
}

} // namespace
} // namespace blackbox
