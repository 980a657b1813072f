#pragma once
// The real main window created in this test program over the fake system layer:
// a test scripts `os`, then Open creates and shows the window.

#include "main_window/frm_enum_procs.h"
#include "tests/kit/fake_os.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace testkit {

// The process list's row of `pid`, or -1.
int RowOf(const main_window::frmEnumProcs& form, DWORD pid);

class FakeMainWindow {
public:
    FakeMainWindow(); // dispatches what earlier windows left queued
    ~FakeMainWindow();
    FakeMainWindow(const FakeMainWindow&) = delete;
    FakeMainWindow& operator=(const FakeMainWindow&) = delete;

    // Creates the window, shows it and dispatches what that queued.
    main_window::frmEnumProcs& Open(int showCommand = SW_SHOWNORMAL);
    // Destroys the window and dispatches what that queued.
    void Close();

    HWND Get(main_window::MainControl control) const { return form->Control(control); }
    std::string Text(main_window::MainControl control) const;
    std::vector<std::string> Rows(main_window::MainControl list) const;
    // Selects a row of one of the lists, as a click would.
    void Select(main_window::MainControl list, int row);
    // Clicks a button through the window procedure.
    void Click(main_window::MainControl button);
    int RowOf(DWORD pid) const { return testkit::RowOf(*form, pid); }

    fake::FakeOs os;
    std::unique_ptr<main_window::frmEnumProcs> form;
};

} // namespace testkit
