// Long runs of the real windows over the real system layer: many refresh and
// select cycles and many memory maps leave this process holding no more
// kernel handles, GDI objects or USER objects than before them.

#include "app/app_title.h"
#include "main_window/frm_enum_procs.h"
#include "memory_map/frm_mem_map.h"
#include "system/windows_os.h"
#include "tests/kit/helper_process.h"
#include "tests/kit/memory_map_fixture.h"
#include "tests/kit/messages.h"
#include "tests/reliability/resource_counts.h"
#include "tests/reliability/soak_counts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace reliability {

namespace {

using main_window::MainControl;
using testkit::PumpMessages;

// Growth a run may show without leaking: caches the system fills once.
constexpr long kHandleSlack = 4;
constexpr long kGdiSlack = 4;
constexpr long kUserSlack = 1;

// A message box would stop the run until clicked: any box of the program is
// closed at once, and counted as a failure.
class BoxCloser {
public:
    BoxCloser() : thread_([this] { Watch(); }) {}
    ~BoxCloser() {
        stop_ = true;
        thread_.join();
    }
    BoxCloser(const BoxCloser&) = delete;
    BoxCloser& operator=(const BoxCloser&) = delete;
    int Closed() const { return closed_; }

private:
    void Watch() {
        while (!stop_) {
            HWND box = ::FindWindowA("#32770", app::kAppTitle);
            if (box != nullptr) {
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                ++closed_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    std::atomic<bool> stop_{false};
    std::atomic<int> closed_{0};
    std::thread thread_;
};

class Soak {
public:
    Soak() : form_(os_, ::GetModuleHandleA(nullptr)) {
        form_.Show(SW_SHOWNOACTIVATE);
        PumpMessages();
    }

    // Refresh, select a process, one of its modules and a driver, repaint.
    void Cycle(int i) {
        form_.cmdRefresh_Click();
        SelectSome(MainControl::lstProcesses, i);
        SelectSome(MainControl::lstModules, i);
        SelectSome(MainControl::lstDrivers, i);
        ::RedrawWindow(form_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        PumpMessages();
    }

    // A fresh memory map window: map, map free only, copy, close.
    void Map(DWORD pid) {
        testkit::HandToTheMemoryMap(pid, "helper");
        memory_map::frmMemMap map(os_, ::GetModuleHandleA(nullptr));
        map.Create(form_.Handle());
        ::ShowWindow(map.Handle(), SW_SHOWNOACTIVATE);
        map.cmdMap_Click();
        map.cmdMapFree_Click();
        map.cmdToClip_Click();
        PumpMessages();
    }

    size_t Rows() const { return form_.Snapshot().lPIDs.size(); }

private:
    void SelectSome(MainControl list, int i) {
        int rows = app::RowCount(form_.Control(list));
        if (rows > 0) {
            testkit::SelectRow(form_.Control(list), i % rows);
        }
    }

    sys::WindowsOs os_;
    main_window::frmEnumProcs form_;
};

void Report(const char* when, const ResourceCounts& counts) {
    std::printf("%s: %ld handles, %ld GDI objects, %ld USER objects (%s)\n", when, counts.handles,
                counts.gdiObjects, counts.userObjects, counts.how.c_str());
}

TEST(Soak, RefreshSelectAndMapCyclesHoldNoMoreResources) {
    SoakCounts counts = ChosenSoak();
    testkit::HelperProcess helper;
    ASSERT_TRUE(helper.Running());
    BoxCloser boxes;
    auto soak = std::make_unique<Soak>();
    for (int i = 0; i < 3; ++i) { // the system's one-time caches fill here
        soak->Cycle(i);
        soak->Map(helper.Id());
    }
    ResourceCounts before = CountResources();
    auto start = std::chrono::steady_clock::now();
    int mapEvery = counts.cycles / counts.maps;
    for (int i = 0; i < counts.cycles; ++i) {
        soak->Cycle(i);
        if (i % mapEvery == 0) {
            soak->Map(i % 2 == 0 ? helper.Id() : ::GetCurrentProcessId());
        }
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ResourceCounts after = CountResources();
    std::printf("%d cycles, %d maps over %zu processes in %.1f s\n", counts.cycles, counts.maps,
                soak->Rows(), seconds);
    Report("before", before);
    Report("after", after);
    EXPECT_LE(after.handles, before.handles + kHandleSlack);
    EXPECT_LE(after.gdiObjects, before.gdiObjects + kGdiSlack);
    EXPECT_LE(after.userObjects, before.userObjects + kUserSlack);
    EXPECT_EQ(boxes.Closed(), 0);
    soak.reset();
}

} // namespace

} // namespace reliability
