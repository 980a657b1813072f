#pragma once
// One run of the real viewer, started and driven from outside as a user would:
// its main window is found by caption, its controls by their ids.

#include "main_window/main_layout.h"
#include "tests/blackbox/polling.h"
#include "tests/kit/handles.h"
#include "tests/kit/programs.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace blackbox {

using testkit::UniqueHandle;
using testkit::WindowsPath;

// The viewer's path, given on the command line (a Unix path is turned into Z:\...).
void SetViewerPath(const std::string& path);
const std::string& ViewerPath();
// The 64-bit edition the 32-bit one hands over to (empty when not given).
void SetViewer64Path(const std::string& path);
const std::string& Viewer64Path();
// The benchmark's helper that loads many copies of one DLL from the "modules" folder
// beside it (empty when not given).
void SetModulesHelperPath(const std::string& path);
const std::string& ModulesHelperPath();

class ViewerSession {
public:
    // Starts the viewer (another copy of it when given, in `currentFolder` when
    // given) and waits for its main window and its first process list.
    explicit ViewerSession(const std::string& exePath = ViewerPath(),
                           const std::string& currentFolder = std::string());
    // Takes over a viewer that another program started, as the 32-bit edition
    // starts the 64-bit one, and waits for the same; it is then ended like one
    // started here.
    ViewerSession(UniqueHandle process, DWORD id);
    // Ends the viewer whatever state it was left in.
    ~ViewerSession();
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;

    DWORD Id() const { return id_; }
    HANDLE Process() const { return process_.Get(); }
    HWND Main() const { return main_; }
    HWND Control(main_window::MainControl control) const;
    std::string Text(main_window::MainControl control) const;
    std::vector<std::string> Rows(main_window::MainControl list) const;

    // WaitFor that adds the texts of the viewer's open message boxes to a time-out.
    void WaitFor(const std::string& what, const std::function<bool()>& condition,
                 DWORD timeoutMs = kStepTimeoutMs) const;
    HWND WaitForForm(const std::string& caption) const;
    HWND WaitForMessageBox(const std::string& caption) const;

    // Waits until the list has rows and "N Processes" counts them.
    void WaitForProcessList() const;
    // The process list's row for a process id, or -1.
    int RowOfProcess(DWORD processId) const;
    void SelectProcess(DWORD processId);
    void SelectModule(const std::string& moduleName);

    // Closes the main window, answers Cancel to the prompt and waits for the end.
    bool ExitThroughPrompt(DWORD timeoutMs);

private:
    // Waits for the main window and the first process list, or ends the viewer.
    void WaitForStart();
    void End();

    UniqueHandle process_;
    DWORD id_ = 0;
    HWND main_ = nullptr;
};

} // namespace blackbox
