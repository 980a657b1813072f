// Start-up of the real viewer: from CreateProcess to a process list that has rows
// and has been painted, watched from this process. And the product exe's size.

#include "app/app_title.h"
#include "bench/rows.h"
#include "main_window/main_layout.h"
#include "tests/kit/programs.h"
#include "tests/kit/window_reading.h"

#include <stdexcept>
#include <vector>

namespace bench {

namespace {

constexpr double kGiveUpMs = 20000;

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchViewerWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char title[64] = {};
    ::GetWindowTextA(window, title, sizeof title);
    if (owner == search->processId && std::string(title) == app::kAppTitle) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND ViewerWindowOf(DWORD processId) {
    WindowSearch search{processId, nullptr};
    ::EnumWindows(MatchViewerWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Rows in the list, and nothing of it left to paint.
bool ListPainted(HWND main) {
    HWND list = ::GetDlgItem(main, testkit::ControlId(main_window::MainControl::lstProcesses));
    DWORD_PTR rows = 0;
    if (list == nullptr ||
        !::SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &rows) ||
        rows == 0 || rows == static_cast<DWORD_PTR>(LB_ERR)) {
        return false;
    }
    return ::GetUpdateRect(list, nullptr, FALSE) == FALSE;
}

double LaunchToPaintedList(const std::string& viewerPath) {
    Stopwatch watch;
    testkit::StartedProcess started = testkit::StartProcess("\"" + viewerPath + "\"");
    if (!started.process) {
        throw std::runtime_error("could not start " + viewerPath + ", error " +
                                 std::to_string(started.error));
    }
    double elapsed = -1;
    while (watch.ElapsedMs() < kGiveUpMs) {
        HWND main = ViewerWindowOf(started.id);
        if (main != nullptr && ListPainted(main)) {
            elapsed = watch.ElapsedMs();
            break;
        }
        ::Sleep(1);
    }
    ::TerminateProcess(started.process.Get(), 0);
    ::WaitForSingleObject(started.process.Get(), 5000);
    if (elapsed < 0) {
        throw std::runtime_error("the viewer showed no painted process list within 20 s");
    }
    return elapsed;
}

Summary WarmStarts(const Settings& settings, const std::string& path) {
    LaunchToPaintedList(path); // warms the caches: the rows are of warm starts
    int runs = settings.quick ? 3 : settings.runs;
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        samples.push_back(LaunchToPaintedList(path));
    }
    return Summarise(samples);
}

} // namespace

void AddStartupRows(Table& table, const Settings& settings) {
    Summary viewer = WarmStarts(settings, settings.viewerPath);
    table.Add(TimeRow("Start-up to painted process list (warm)", viewer, kStartupGoalMs));
    Summary bare = WarmStarts(settings, testkit::OwnFolder() + "velmora_bench_bare_window.exe");
    table.Add(InfoRow("Start-up of the same window without its queries (warm)", bare,
                      "the floor under the row above"));
    if (settings.productExeBytes > 0) {
        const char* exe = sizeof(void*) == 8 ? "64-bit velmora64.exe" : "32-bit velmora.exe";
        table.Add(
            SizeRow(std::string(exe) + ", stripped", settings.productExeBytes, kExeGoalBytes));
    }
}

} // namespace bench
