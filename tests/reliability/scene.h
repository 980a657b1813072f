#pragma once
// The real main window, and the memory map window on demand, over a scripted
// fake system with two processes, alpha (8) and beta (12), and one driver.
// Windows stay hidden: nothing activates them, so no refresh runs unasked.

#include "memory_map/frm_mem_map.h"
#include "tests/kit/main_window_fixture.h"

#include <memory>
#include <string>
#include <vector>

namespace reliability {

// Which calls fail in a run, all with error 5 (access denied).
struct Injection {
    std::string call; // empty: none
    int number = 0;   // the failing call of that name, counted from 1; 0: every one
    bool everything = false;

    static Injection Everything();
    bool Hits(const std::string& name) const { return everything || name == call; }
    std::string Describe() const;
    void Apply(fake::FakeOs& os) const;
};

// Alpha: two modules, counters, five regions, a file with version data.
// Beta: two other modules and counters. One driver, disk.sys.
class Scene : public testkit::FakeMainWindow {
public:
    // Scripts the fake, opens the main window hidden and refreshes once.
    Scene();
    ~Scene();

    void SelectProcess(int row) { Select(main_window::MainControl::lstProcesses, row); }

    // A fresh memory map window for alpha, as the main window hands it over.
    void OpenMap();
    std::string MapText(memory_map::MapControl control) const;
    std::vector<std::string> MapLines() const; // the map box split at CR LF

    // No module rows, "No modules", the counters' bare prefixes.
    void ExpectModuleSideCleared() const;
    // None of alpha's module rows, counters or path on screen.
    void ExpectNothingOfAlpha() const;

    std::unique_ptr<memory_map::frmMemMap> map; // destroyed before its owner
};

} // namespace reliability
