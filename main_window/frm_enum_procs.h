#pragma once
// The main window: process list, module and driver lists, the selected
// process's details and the address-space bar.

#include "app/activation.h"
#include "app/controls.h"
#include "app/form.h"
#include "main_window/address_bar.h"
#include "main_window/driver_table.h"
#include "main_window/main_layout.h"
#include "main_window/module_table.h"
#include "main_window/process_snapshot.h"
#include "system/handles.h"
#include "system/os.h"

#include <windows.h>

#include <array>
namespace main_window {

inline constexpr char kFreewareTitle[] = "More Freeware";
inline constexpr char kFreewareText[] = "Get more free apps at velmora.example?";
inline constexpr char kPublisherPage[] = "https://velmora.example/";

class frmEnumProcs : public app::Form<frmEnumProcs, MainControl, kMainControlCount> {
public:
    frmEnumProcs(sys::Os& os, HINSTANCE instance)
        : Form(os, instance, kMainControls, kFirstControlId) {}
    ~frmEnumProcs() { Destroy(); }

    // Creates the window centred on the screen and shows it; its first
    // activation runs the first refresh.
    void Show(int showCommand = SW_SHOWNORMAL);

    const ProcessSnapshot& Snapshot() const { return snapshot_; }
    const ModuleTable& Modules() const { return modules_; }
    const DriverTable& Drivers() const { return drivers_; }
    const AddressBar& Bar() const { return bar_; }

    // Event handlers.
    void Form_Activate();
    void Form_Unload();
    void cmdRefresh_Click();
    void cmdExit_Click();
    void cmdMemMap_Click();
    void lstProcesses_Click();
    void lstModules_Click();
    void lstDrivers_Click();

    // Methods of the refresh cycle and the selection.
    void ClearAll();
    void GetDrivers();
    void GetProcesses();
    void FillProcessList();
    void ShowMemoryMap();
    void GetInfoForProcess(int32_t iProc);
    bool GetModules(HANDLE hThisProcess);
    void FlashModuleWhite(int32_t idx);
    void FlashDriverWhite(int32_t idx);

private:
    friend Form; // the messages it dispatches
    void OnCreate();
    void OnRescaled();
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Create();
    void OnActivate(WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int notification);
    void OnClose();
    void SetLabel(MainControl label, const std::string& caption);
    int32_t SelectedElement(MainControl list) const;
    void ShowItem(MainControl otherList, const std::string& path, const std::string& version);
    void ClearModuleList();
    void ForgetModules();
    void SetCounterPrefixes();
    void ShowLimitedCounters(int32_t processId);
    void ShowCounters(const PROCESS_MEMORY_COUNTERS& counters);
    void PaintMark(const TwipsBox& mark);
    void ShowBarLabels();
    void OnPaint();

    HWND savedFocus_ = nullptr;
    app::ActivationFilter activation_;
    bool unloading_ = false;

    ProcessSnapshot snapshot_;
    ModuleTable modules_;
    DriverTable drivers_;
    AddressBar bar_;
    BarScale barScale_; // what the bar and its labels stand for now
};

} // namespace main_window
