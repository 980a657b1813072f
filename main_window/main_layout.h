#pragma once
// The main window's fixed layout, in twips of the client area, in tab order.

#include "app/controls.h"

#include <array>

namespace main_window {

enum class MainControl {
    cmdRefresh,
    cmdExit,
    lblProcesses,
    lstProcesses,
    lstModules,
    lblModules,
    txtStatus,
    lblWorkingSet,
    lblPageFile,
    lblPageFaults,
    lstDrivers,
    Label1,
    Label2,
    Label3,
    txtFilePath,
    lblDrivers,
    Label4,
    Label5,
    txtVersionInfo,
    cmdMemMap,
    Label6,
    Label7,
    Label8,
    Count
};

inline constexpr int kMainControlCount = static_cast<int>(MainControl::Count);

// Control ids start above IDOK and IDCANCEL, which dialog navigation sends for Enter and Esc.
inline constexpr int kFirstControlId = 100;

using app::ControlKind;

inline constexpr std::array<app::ControlSpec, kMainControlCount> kMainControls{{
    {"cmdRefresh", ControlKind::Button, "&Refresh", {6600, 60, 912, 312}},
    {"cmdExit", ControlKind::Button, "E&xit", {8520, 60, 852, 312}},
    {"lblProcesses", ControlKind::FittingLabel, "Processes", {180, 420, 795, 210}},
    {"lstProcesses", ControlKind::ListBox, "", {180, 660, 2352, 6648}},
    {"lstModules", ControlKind::ListBox, "", {2640, 660, 3972, 6348}},
    {"lblModules", ControlKind::FittingLabel, "Modules", {2640, 420, 660, 210}},
    {"txtStatus", ControlKind::TextBox, "", {600, 60, 5952, 312}},
    {"lblWorkingSet", ControlKind::Label, "Working Set", {6660, 540, 2652, 252}},
    {"lblPageFile", ControlKind::Label, "Page File", {6660, 840, 2652, 252}},
    {"lblPageFaults", ControlKind::Label, "Page Faults", {6660, 1140, 2652, 252}},
    {"lstDrivers", ControlKind::ListBox, "", {6660, 1680, 2652, 5328}},
    {"Label1", ControlKind::FittingLabel, "0", {180, 7800, 105, 210}},
    {"Label2", ControlKind::FittingLabel, "4GB", {9000, 7800, 330, 210}},
    {"Label3", ControlKind::FittingLabel, "2GB=&&H8000 0000", {4200, 7800, 1605, 210}},
    {"txtFilePath", ControlKind::TextBox, "", {3360, 7020, 5952, 312}},
    {"lblDrivers", ControlKind::FittingLabel, "Drivers", {6660, 1440, 540, 210}},
    {"Label4", ControlKind::FittingLabel, "1GB=&&H4000 0000", {1980, 7800, 1605, 210}},
    {"Label5", ControlKind::FittingLabel, "3GB=&&HC000 0000", {6480, 7800, 1605, 210}},
    {"txtVersionInfo", ControlKind::TextBox, "", {540, 7380, 8772, 372}},
    {"cmdMemMap", ControlKind::Button, "&MemMap", {7560, 60, 912, 312}},
    {"Label6", ControlKind::FittingLabel, "EXE", {180, 120, 315, 210}},
    {"Label7", ControlKind::FittingLabel, "Mod/Drv", {2640, 7080, 690, 210}},
    {"Label8", ControlKind::FittingLabel, "Info", {180, 7440, 330, 210}},
}};

// The address-space bar's shape, drawn by the window itself rather than a control.
inline constexpr app::TwipsRect kRectMem{180, 8040, 9132, 732};

inline constexpr int kClientWidthTwips = 9420;
inline constexpr int kClientHeightTwips = 8940;

} // namespace main_window
