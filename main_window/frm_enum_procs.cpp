#include "main_window/frm_enum_procs.h"

#include "app/app_title.h"
#include "memory_map/frm_mem_map.h"
#include "res/resource_ids.h"
#include "system/bas_enum_procs.h"
#include "system/handles.h"
#include "system/number_text.h"
#include "system/version_summary.h"

namespace main_window {

namespace {

constexpr app::FormClass kFormClass{
    "VelmoraEnumProcs", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
    WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClientWidthTwips, kClientHeightTwips};

bool IsFittingLabel(MainControl control) {
    return kMainControls[static_cast<int>(control)].kind == app::ControlKind::FittingLabel;
}

} // namespace

void frmEnumProcs::Show(int showCommand) {
    if (window_ == nullptr) {
        Create();
    }
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
}

void frmEnumProcs::Create() {
    SIZE size = FrameSize(kFormClass);
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    POINT centre{work.left + ((work.right - work.left) - size.cx) / 2,
                 work.top + ((work.bottom - work.top) - size.cy) / 2};
    CreateFormWindow(kFormClass, app::kAppTitle, centre, nullptr);
}

void frmEnumProcs::OnCreate() {
    savedFocus_ = Control(MainControl::cmdRefresh);
    bar_.Attach(window_, scale_);
}

// At a new DPI the bar's picture is made again at the window's new size, its labels
// are placed again, and it is painted with the mark of the selected module or driver.
void frmEnumProcs::OnRescaled() {
    bar_.Attach(window_, scale_);
    ShowBarLabels();
    if (int32_t module = SelectedElement(MainControl::lstModules); module != 0) {
        FlashModuleWhite(module);
    } else if (int32_t driver = SelectedElement(MainControl::lstDrivers); driver != 0) {
        FlashDriverWhite(driver);
    } else {
        ShowMemoryMap();
    }
}

bool frmEnumProcs::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_ACTIVATE:
        OnActivate(wParam, lParam);
        return true;
    default:
        return false;
    }
}

void frmEnumProcs::OnActivate(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(window_, focus)) {
            savedFocus_ = focus;
        }
        return;
    }
    // The high word of WM_ACTIVATE's wParam is not part of the state: it is set when
    // the window is minimised, and a minimised window must not take the focus.
    if (HIWORD(wParam) == 0 && savedFocus_ != nullptr) {
        ::SetFocus(savedFocus_);
    }
    if (activation_.Counts(window_, reinterpret_cast<HWND>(lParam))) {
        Form_Activate();
    }
}

void frmEnumProcs::OnCommand(int id, int notification) {
    constexpr int kFromAccelerator = 1;
    if (id == IDA_REFRESH && notification == kFromAccelerator) {
        return cmdRefresh_Click(); // F5
    }
    constexpr std::array<Handler, 6> kHandlers{{
        {MainControl::cmdRefresh, BN_CLICKED, &frmEnumProcs::cmdRefresh_Click},
        {MainControl::cmdExit, BN_CLICKED, &frmEnumProcs::cmdExit_Click},
        {MainControl::cmdMemMap, BN_CLICKED, &frmEnumProcs::cmdMemMap_Click},
        {MainControl::lstProcesses, LBN_SELCHANGE, &frmEnumProcs::lstProcesses_Click},
        {MainControl::lstModules, LBN_SELCHANGE, &frmEnumProcs::lstModules_Click},
        {MainControl::lstDrivers, LBN_SELCHANGE, &frmEnumProcs::lstDrivers_Click},
    }};
    RunHandler(kHandlers, id, notification);
}

void frmEnumProcs::Form_Activate() { cmdRefresh_Click(); }

void frmEnumProcs::cmdRefresh_Click() {
    ClearAll();
    GetDrivers();
    GetProcesses();
    FillProcessList();
    if (app::RowCount(Control(MainControl::lstProcesses)) > 0) {
        ::SetFocus(Control(MainControl::lstProcesses));
    }
}

// The exit prompt's message loop still delivers close requests (a second click on
// the close box, Close from the taskbar): the exit sequence runs only once.
void frmEnumProcs::OnClose() {
    if (unloading_) {
        return;
    }
    unloading_ = true;
    Form_Unload();
}

void frmEnumProcs::cmdExit_Click() { ::SendMessageA(window_, WM_CLOSE, 0, 0); }

void frmEnumProcs::Form_Unload() {
    int answer =
        os_.MessageBoxA(window_, kFreewareText, kFreewareTitle, MB_OKCANCEL | MB_DEFBUTTON1);
    if (answer == IDOK) {
        os_.ShellExecuteA(nullptr, "open", kPublisherPage, nullptr, nullptr, SW_SHOWNORMAL);
    }
    // Ending the program closes every other form without their own close handling.
    ::DestroyWindow(window_);
    ::PostQuitMessage(0);
}

void frmEnumProcs::SetLabel(MainControl label, const std::string& caption) {
    app::SetCaption(Control(label), caption, IsFittingLabel(label));
}

void frmEnumProcs::OnPaint() {
    sys::PaintDc paint(window_);
    bar_.Show(paint.Get(), paint.Area());
}

void frmEnumProcs::ClearAll() {
    ClearModuleList();
    SetCounterPrefixes();
    ForgetModules();
}

void frmEnumProcs::SetCounterPrefixes() {
    SetLabel(MainControl::lblPageFaults, "Page Faults: ");
    SetLabel(MainControl::lblWorkingSet, "Working Set Size: ");
    SetLabel(MainControl::lblPageFile, "Page File Usage: ");
}

void frmEnumProcs::ClearModuleList() {
    app::ClearList(Control(MainControl::lstModules));
    SetLabel(MainControl::lblModules, "No modules");
}

void frmEnumProcs::ForgetModules() {
    modules_.lNumModules = 0;
    ShowMemoryMap();
}

void frmEnumProcs::GetDrivers() {
    drivers_ = ReadDrivers(os_);
    app::ReplaceListRows(Control(MainControl::lstDrivers), DriverLines(drivers_));
    SetLabel(MainControl::lblDrivers, DriversCaption(drivers_.lNumDrivers));
}

void frmEnumProcs::GetProcesses() { snapshot_ = TakeProcessSnapshot(os_); }

void frmEnumProcs::FillProcessList() {
    app::ReplaceListRows(Control(MainControl::lstProcesses), ProcessRows(snapshot_));
    SetLabel(MainControl::lblProcesses, ProcessCountCaption(snapshot_.lNumProcesses));
}

void frmEnumProcs::ShowMemoryMap() {
    BarScale scale = ModuleBarScale(modules_.lModuleBases, modules_.lModuleSizes,
                                    modules_.lNumModules, modules_.width);
    if (!(scale == barScale_)) {
        barScale_ = scale;
        ShowBarLabels();
    }
    int32_t driversOnBar = drivers_.addressesHidden ? 0 : drivers_.lNumDrivers;
    bar_.Paint(BarBoxes(kRectMem, barScale_, modules_.lModuleBases, modules_.lModuleSizes,
                        modules_.lNumModules, drivers_.uDriverBases, driversOnBar));
}

// The labels over the bar name what it stands for: the fixed places of the 4 GB
// bar, or places fitted to the texts of a 64-bit process's range.
void frmEnumProcs::ShowBarLabels() {
    constexpr std::array<MainControl, kBarLabelCount> kLabels{
        MainControl::Label1, MainControl::Label4, MainControl::Label3, MainControl::Label5,
        MainControl::Label2};
    std::array<std::string, kBarLabelCount> texts = BarLabelTexts(barScale_);
    std::array<int, kBarLabelCount> widths{};
    std::array<int, kBarLabelCount> lefts{};
    for (size_t k = 0; k < kLabels.size(); ++k) {
        SetLabel(kLabels[k], texts[k]);
        RECT frame;
        ::GetWindowRect(Control(kLabels[k]), &frame);
        widths[k] = scale_.ToTwips(frame.right - frame.left);
        lefts[k] = kMainControls[static_cast<int>(kLabels[k])].rect.left;
    }
    if (!barScale_.fourGigabytes) {
        lefts = BarLabelLefts(kRectMem, widths, kClientWidthTwips);
    }
    for (size_t k = 0; k < kLabels.size(); ++k) {
        const app::TwipsRect& fixed = kMainControls[static_cast<int>(kLabels[k])].rect;
        ::SetWindowPos(Control(kLabels[k]), nullptr, scale_.ToPixels(lefts[k]),
                       scale_.ToPixels(fixed.top), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The strip above the bar keeps no trace of a label that moved away.
    RECT strip = scale_.ToPixels(app::TwipsRect{
        0, kMainControls[static_cast<int>(MainControl::Label1)].rect.top, kClientWidthTwips, 240});
    ::InvalidateRect(window_, &strip, TRUE);
}

void frmEnumProcs::lstProcesses_Click() {
    int row = app::SelectedRow(Control(MainControl::lstProcesses));
    if (row < 0) {
        return;
    }
    // GetInfoForProcess counts processes from 1, as the list's row + 1.
    app::WaitCursor busy;
    GetInfoForProcess(row + 1);
    app::SetText(Control(MainControl::txtFilePath), "");
    app::SetText(Control(MainControl::txtVersionInfo), "");
}

// .at() on purpose here and below: a row the arrays do not have raises
// std::out_of_range, which the uncaught-error report shows as a subscript error.
void frmEnumProcs::GetInfoForProcess(int32_t iProc) {
    auto index = static_cast<size_t>(iProc - 1); // the arrays start at 0
    app::SetText(Control(MainControl::txtStatus), snapshot_.sProcPaths.at(index));
    int32_t processId = snapshot_.lPIDs.at(index);
    sys::ProcessHandle process = basEnumProcs::OpenProcessQuery(os_, processId);
    if (!process) {
        ClearAll();
        ShowLimitedCounters(processId);
        return;
    }
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!os_.GetProcessMemoryInfo(process.Get(), &counters, sizeof counters)) {
        DWORD error = os_.GetLastError();
        // Nothing of the previously selected process may stay under the new selection.
        ClearAll();
        app::SetText(Control(MainControl::txtStatus),
                     basEnumProcs::GetErrorText(os_, static_cast<int32_t>(error)));
        return;
    }
    ShowCounters(counters);
    GetModules(process.Get());
}

// A process this program may not open for query and memory read may still give
// its counters to a limited-information handle; its modules stay unknown.
void frmEnumProcs::ShowLimitedCounters(int32_t processId) {
    sys::ProcessHandle limited = basEnumProcs::OpenProcessLimited(os_, processId);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (limited && os_.GetProcessMemoryInfo(limited.Get(), &counters, sizeof counters)) {
        ShowCounters(counters);
    }
}

void frmEnumProcs::ShowCounters(const PROCESS_MEMORY_COUNTERS& counters) {
    sys::ThousandsFormat format(os_);
    SetLabel(MainControl::lblPageFaults, "Page Faults: " + format.Format(counters.PageFaultCount));
    SetLabel(MainControl::lblWorkingSet,
             "Working Set Size: " + format.Format(counters.WorkingSetSize));
    SetLabel(MainControl::lblPageFile, "Page File Usage: " + format.Format(counters.PagefileUsage));
}

bool frmEnumProcs::GetModules(HANDLE hThisProcess) {
    if (hThisProcess == nullptr) {
        return false;
    }
    ModuleListing listing = ReadModules(os_, hThisProcess);
    if (!listing.succeeded) {
        // The list would otherwise go on showing the previous process's modules.
        ClearModuleList();
        ForgetModules();
        app::SetText(Control(MainControl::txtStatus),
                     basEnumProcs::GetErrorText(os_, static_cast<int32_t>(listing.error)));
        return false;
    }
    modules_ = std::move(listing.table);
    sys::ThousandsFormat format(os_);
    app::ReplaceListRows(Control(MainControl::lstModules), ModuleLines(modules_, format));
    SetLabel(MainControl::lblModules, ModulesCaption(modules_, format));
    ShowMemoryMap();
    return true;
}

// The bar is repainted first, so that only one item is ever marked; a row the
// arrays do not have then raises the subscript error over a clean bar.
void frmEnumProcs::FlashModuleWhite(int32_t idx) {
    ShowMemoryMap();
    auto k = static_cast<size_t>(idx - 1);
    uint64_t base = modules_.lModuleBases.at(k).Unsigned();
    int width = BarLength(modules_.lModuleSizes.at(k), kRectMem.width, barScale_);
    PaintMark(MarkBox(kRectMem, barScale_, base, width));
}

// A driver off the bar (the kernel's, beside a 64-bit process's range), or one
// whose address is hidden, gets no mark.
void frmEnumProcs::FlashDriverWhite(int32_t idx) {
    ShowMemoryMap();
    uint64_t base = drivers_.uDriverBases.at(static_cast<size_t>(idx - 1)).Unsigned();
    if (!drivers_.addressesHidden && barScale_.Contains(base)) {
        PaintMark(MarkBox(kRectMem, barScale_, base, kDriverMarkWidth));
    }
}

// The white mark with the ticks painted again over it.
void frmEnumProcs::PaintMark(const TwipsBox& mark) {
    std::vector<TwipsBox> boxes{mark};
    for (const TwipsBox& tick : TickBoxes(kRectMem)) {
        boxes.push_back(tick);
    }
    bar_.Paint(boxes);
}

void frmEnumProcs::lstModules_Click() {
    int32_t n = SelectedElement(MainControl::lstModules);
    if (n == 0) {
        return;
    }
    FlashModuleWhite(n);
    const std::string& path = modules_.sModulePaths.at(static_cast<size_t>(n - 1));
    ShowItem(MainControl::lstDrivers, path, basEnumProcs::GetVersionSummary(os_, path));
}

void frmEnumProcs::lstDrivers_Click() {
    int32_t n = SelectedElement(MainControl::lstDrivers);
    if (n == 0) {
        return;
    }
    FlashDriverWhite(n);
    ShowItem(MainControl::lstModules, drivers_.sDriverPaths.at(static_cast<size_t>(n - 1)),
             drivers_.addressesHidden ? kHiddenAddressesInfo : "");
}

// The module and driver lists show their arrays from element 1 on (row 0 is
// element 1, as the flash and the texts count them); 0 when no row is selected.
int32_t frmEnumProcs::SelectedElement(MainControl list) const {
    return app::SelectedRow(Control(list)) + 1;
}

// Shows the selected item's texts and clears the other list's selection, so that
// only one item is ever selected.
void frmEnumProcs::ShowItem(MainControl otherList, const std::string& path,
                            const std::string& version) {
    app::SetText(Control(MainControl::txtFilePath), path);
    app::SetText(Control(MainControl::txtVersionInfo), version);
    ::SendMessageA(Control(otherList), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void frmEnumProcs::cmdMemMap_Click() {
    int row = app::SelectedRow(Control(MainControl::lstProcesses));
    if (row < 0) {
        return;
    }
    auto index = static_cast<size_t>(row); // the snapshot's arrays are in the list's order
    basEnumProcs::lMemMapProcessID = snapshot_.lPIDs.at(index);
    basEnumProcs::sMemMapProcessName = snapshot_.sProcNames.at(index);
    memory_map::ShowMemoryMapModal(os_, window_);
}

} // namespace main_window
