#include "tests/blackbox/viewer_session.h"

#include "app/app_title.h"
#include "main_window/frm_enum_procs.h"
#include "tests/blackbox/remote_window.h"
#include "tests/blackbox/row_text.h"
#include "tests/kit/window_reading.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace blackbox {

using main_window::MainControl;

namespace {

// The programs the command line names: the viewer, the 64-bit edition, the helper
// with many modules.
enum GivenProgram : size_t { kViewer, kViewer64, kModulesHelper, kGivenPrograms };

std::string& StoredPath(GivenProgram program) {
    static std::array<std::string, kGivenPrograms> paths;
    return paths[program];
}

bool Running(HANDLE process) { return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

// The viewer may have refilled the list since the row was read.
void SelectListRow(HWND list, int row) {
    if (!SelectRow(list, row)) {
        throw std::runtime_error("could not select list row " + std::to_string(row));
    }
}

} // namespace

void SetViewerPath(const std::string& path) { StoredPath(kViewer) = WindowsPath(path); }

const std::string& ViewerPath() { return StoredPath(kViewer); }

void SetViewer64Path(const std::string& path) { StoredPath(kViewer64) = WindowsPath(path); }

const std::string& Viewer64Path() { return StoredPath(kViewer64); }

void SetModulesHelperPath(const std::string& path) {
    StoredPath(kModulesHelper) = WindowsPath(path);
}

const std::string& ModulesHelperPath() { return StoredPath(kModulesHelper); }

ViewerSession::ViewerSession(const std::string& exePath, const std::string& currentFolder) {
    if (exePath.empty()) {
        throw std::runtime_error("no viewer given: run with --viewer=PATH");
    }
    testkit::StartedProcess started = testkit::StartProcess("\"" + exePath + "\"", currentFolder);
    if (!started.process) {
        throw std::runtime_error("could not start " + exePath + ": error " +
                                 std::to_string(started.error));
    }
    process_ = std::move(started.process);
    id_ = started.id;
    WaitForStart();
}

ViewerSession::ViewerSession(UniqueHandle process, DWORD id)
    : process_(std::move(process)), id_(id) {
    WaitForStart();
}

void ViewerSession::WaitForStart() {
    try {
        main_ = WaitForForm(app::kAppTitle);
        WaitForProcessList();
    } catch (...) {
        End(); // no destructor runs for a constructor that throws
        throw;
    }
}

ViewerSession::~ViewerSession() { End(); }

HWND ViewerSession::Control(MainControl control) const {
    return ControlOf(main_, testkit::ControlId(control), "the main window");
}

std::string ViewerSession::Text(MainControl control) const { return WindowText(Control(control)); }

std::vector<std::string> ViewerSession::Rows(MainControl list) const {
    return blackbox::Rows(Control(list));
}

void ViewerSession::WaitFor(const std::string& what, const std::function<bool()>& condition,
                            DWORD timeoutMs) const {
    try {
        blackbox::WaitFor(
            what,
            [&] {
                if (!Running(process_.Get())) {
                    throw std::runtime_error("the viewer ended while waiting for " + what);
                }
                return condition();
            },
            timeoutMs);
    } catch (const WaitTimedOut& timedOut) {
        throw WaitTimedOut(timedOut.what() + OpenMessageBoxes(id_));
    }
}

HWND ViewerSession::WaitForForm(const std::string& caption) const {
    HWND form = nullptr;
    WaitFor(
        "a window \"" + caption + "\"",
        [&] {
            form = FindTopWindow(id_, caption, WindowKind::Form);
            return form != nullptr && ::IsWindowVisible(form);
        },
        kWindowTimeoutMs);
    return form;
}

HWND ViewerSession::WaitForMessageBox(const std::string& caption) const {
    HWND box = nullptr;
    WaitFor("a message box \"" + caption + "\"", [&] {
        box = FindTopWindow(id_, caption, WindowKind::MessageBox);
        return box != nullptr && ::IsWindowVisible(box);
    });
    return box;
}

void ViewerSession::WaitForProcessList() const {
    WaitFor("the process list and its count to agree", [this] {
        int rows = RowCount(Control(MainControl::lstProcesses));
        return rows > 0 && Text(MainControl::lblProcesses) == std::to_string(rows) + " Processes";
    });
    WaitUntilIdle(main_);
}

int ViewerSession::RowOfProcess(DWORD processId) const {
    std::vector<std::string> rows = Rows(MainControl::lstProcesses);
    for (size_t row = 0; row < rows.size(); ++row) {
        if (LeadingProcessId(rows[row]) == processId) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

void ViewerSession::SelectProcess(DWORD processId) {
    int row = RowOfProcess(processId);
    if (row < 0) {
        throw std::runtime_error("process " + std::to_string(processId) + " is not listed");
    }
    SelectListRow(Control(MainControl::lstProcesses), row);
}

void ViewerSession::SelectModule(const std::string& moduleName) {
    std::vector<std::string> rows = Rows(MainControl::lstModules);
    for (size_t row = 0; row < rows.size(); ++row) {
        auto module = ParseModuleRow(rows[row]);
        if (module && EqualIgnoringCase(module->name, moduleName)) {
            return SelectListRow(Control(MainControl::lstModules), static_cast<int>(row));
        }
    }
    throw std::runtime_error("module " + moduleName + " is not listed");
}

bool ViewerSession::ExitThroughPrompt(DWORD timeoutMs) {
    ::PostMessageW(main_, WM_CLOSE, 0, 0);
    HWND prompt = WaitForMessageBox(main_window::kFreewareTitle);
    ::PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
    return ::WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

void ViewerSession::End() {
    if (!process_ || !Running(process_.Get())) {
        return;
    }
    try {
        if (main_ != nullptr && ExitThroughPrompt(kStepTimeoutMs / 2)) {
            return;
        }
    } catch (const std::exception&) {
        // Left in a state the prompt cannot end: ended the hard way below.
    }
    ::TerminateProcess(process_.Get(), 1);
    ::WaitForSingleObject(process_.Get(), kStepTimeoutMs);
}

} // namespace blackbox
