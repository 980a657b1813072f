#include "tests/blackbox/remote_window.h"

#include <stdexcept>

namespace blackbox {

namespace {

struct BoxSearch {
    DWORD processId;
    std::string report;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<BoxSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ::IsWindowVisible(window) &&
        ClassOf(window) == kMessageBoxClass) {
        char caption[256] = {};
        ::GetWindowTextA(window, caption, sizeof caption);
        search->report += std::string("\n  message box \"") + caption + "\": ";
        try {
            search->report += MessageBoxText(window);
        } catch (const std::exception& error) {
            search->report += error.what();
        }
    }
    return TRUE;
}

} // namespace

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                     0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                          size, nullptr, nullptr);
    return narrow;
}

HWND ControlOf(HWND window, int id, const std::string& windowName) {
    HWND control = ::GetDlgItem(window, id);
    if (control == nullptr) {
        throw std::runtime_error(windowName + " has no control " + std::to_string(id));
    }
    return control;
}

std::string WindowText(HWND window) {
    auto length = SendOrThrow(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    auto copied =
        SendOrThrow(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return Narrow(text);
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

int RowCount(HWND list) { return static_cast<int>(SendOrThrow(list, LB_GETCOUNT, 0, 0)); }

// The A form of LB_GETTEXT returns only the first character across processes.
std::optional<std::string> TryRowText(HWND list, int row) {
    auto length = SendOrThrow(list, LB_GETTEXTLEN, row, 0);
    if (length == LB_ERR) {
        return std::nullopt;
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    auto copied = SendOrThrow(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    if (copied == LB_ERR) {
        return std::nullopt;
    }
    text.resize(static_cast<size_t>(copied));
    return Narrow(text);
}

std::string RowText(HWND list, int row) {
    auto text = TryRowText(list, row);
    if (!text) {
        throw std::runtime_error("no list row " + std::to_string(row));
    }
    return *text;
}

// The viewer may refill the list between two of our messages (a posted click is
// taken whenever it next looks): a row that vanished means reading it again.
std::vector<std::string> Rows(HWND list) {
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        int count = RowCount(list);
        std::vector<std::string> rows;
        for (int row = 0; row < count; ++row) {
            auto text = TryRowText(list, row);
            if (!text) {
                break;
            }
            rows.push_back(*text);
        }
        if (static_cast<int>(rows.size()) == count && RowCount(list) == count) {
            return rows;
        }
    }
    throw std::runtime_error("the list kept changing while it was read");
}

int SelectedRow(HWND list) { return static_cast<int>(SendOrThrow(list, LB_GETCURSEL, 0, 0)); }

void PressKey(HWND control, WPARAM key) {
    ::PostMessageW(control, WM_KEYDOWN, key, 1);
    ::PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

std::vector<HWND> TopWindows(DWORD processId, const std::string& caption, WindowKind kind) {
    std::vector<HWND> found;
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, nullptr, caption.c_str())) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        bool isBox = ClassOf(window) == kMessageBoxClass;
        if (owner == processId && isBox == (kind == WindowKind::MessageBox)) {
            found.push_back(window);
        }
    }
    return found;
}

HWND FindTopWindow(DWORD processId, const std::string& caption, WindowKind kind) {
    std::vector<HWND> windows = TopWindows(processId, caption, kind);
    return windows.empty() ? nullptr : windows.front();
}

std::string MessageBoxText(HWND box) { return WindowText(::GetDlgItem(box, kMessageBoxTextId)); }

std::string OpenMessageBoxes(DWORD processId) {
    BoxSearch search{processId, std::string()};
    ::EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    return search.report;
}

} // namespace blackbox
