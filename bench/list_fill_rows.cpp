// Does filling a list box with redraw off and LB_INITSTORAGE (app::ReplaceListRows)
// pay? The same rows into the same kind of list box, the three ways.

#include "app/controls.h"
#include "bench/rows.h"
#include "tests/kit/messages.h"

#include <stdexcept>
#include <vector>

namespace bench {

using testkit::PumpMessages;

namespace {

constexpr char kHostClass[] = "VelmoraBenchListHost";

// A top-level window holding one list box styled like the viewer's.
class ListHost {
public:
    ListHost() {
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        WNDCLASSA host{};
        host.lpfnWndProc = ::DefWindowProcA;
        host.hInstance = instance;
        host.lpszClassName = kHostClass;
        ::RegisterClassA(&host);
        window_ = ::CreateWindowExA(0, kHostClass, "List fill", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                    0, 400, 600, nullptr, nullptr, instance, nullptr);
        app::TwipsScale scale(96);
        font_ = app::CreateTahoma(90, scale);
        app::ControlSpec layout{"lstRows", app::ControlKind::ListBox, "", {60, 60, 5000, 8000}};
        list_ = app::CreateControl(window_, 100, layout, scale, font_.Get());
        if (list_ == nullptr) {
            throw std::runtime_error("no list box for the fill rows");
        }
    }
    ~ListHost() { ::DestroyWindow(window_); }
    ListHost(const ListHost&) = delete;
    ListHost& operator=(const ListHost&) = delete;

    HWND List() const { return list_; }

private:
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    sys::Font font_;
};

std::vector<std::string> ProcessLikeRows(int n) {
    std::vector<std::string> rows;
    rows.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        rows.push_back(std::to_string(8 + 4 * i) + " - process" + std::to_string(i) +
                       ".exe (normal)");
    }
    return rows;
}

void FillWithoutStorage(HWND list, const std::vector<std::string>& rows) {
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& row : rows) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void FillWithRedrawOn(HWND list, const std::vector<std::string>& rows) {
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    app::ReserveListRows(list, rows);
    for (const std::string& row : rows) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    }
}

template <typename Fill> Summary TimeFill(const Settings& settings, HWND list,
                                          const std::vector<std::string>& rows, Fill fill) {
    int runs = settings.quick ? 3 : 7;
    Summary time = Summarise(TimeRuns(runs, 1, [&] {
        fill(list, rows);
        PumpMessages(); // the paint the fill asked for belongs to it
    }));
    if (app::RowCount(list) != static_cast<int>(rows.size())) {
        throw std::runtime_error("list fill check: wrong row count");
    }
    return time;
}

} // namespace

void AddListFillRows(Table& table, const Settings& settings) {
    ListHost host;
    for (int n : {1000, 10000, 100000}) {
        std::vector<std::string> rows = ProcessLikeRows(n);
        std::string size = " " + std::to_string(n) + " rows";
        table.Add(InfoRow("List fill" + size + ": redraw off + LB_INITSTORAGE",
                          TimeFill(settings, host.List(), rows, app::ReplaceListRows),
                          "app::ReplaceListRows"));
        table.Add(InfoRow("List fill" + size + ": redraw off, no LB_INITSTORAGE",
                          TimeFill(settings, host.List(), rows, FillWithoutStorage), ""));
        if (n <= 1000) { // with redraw on, every row repaints the list: minutes for 10,000
            table.Add(InfoRow("List fill" + size + ": redraw on + LB_INITSTORAGE",
                              TimeFill(settings, host.List(), rows, FillWithRedrawOn), ""));
        }
    }
}

} // namespace bench
