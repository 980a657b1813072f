#include "driver.h"

#include <cstdlib>

namespace user_flows {

namespace {

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                          length, nullptr, nullptr);
    return text;
}

struct Search {
    DWORD pid;
    const std::string* caption;
    const char* className;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || !::IsWindowVisible(window)) {
        return TRUE;
    }
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (search->className != nullptr && lstrcmpA(className, search->className) != 0) {
        return TRUE;
    }
    if (Text(window) != *search->caption) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

} // namespace

void Stop(Started& program) {
    if (program.process.Get() != nullptr &&
        ::WaitForSingleObject(program.process.Get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(program.process.Get(), 1);
        ::WaitForSingleObject(program.process.Get(), 5000);
    }
}

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > milliseconds) {
            return false;
        }
        ::Sleep(20);
    }
    return true;
}

HWND FindWindowOf(DWORD pid, const std::string& caption, const char* className) {
    Search search{pid, &caption, className, nullptr};
    ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Text(HWND window) {
    auto length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    auto copied =
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return Narrow(text);
}

std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows;
    auto count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        auto length = ::SendMessageW(list, LB_GETTEXTLEN, row, 0);
        std::wstring text(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        auto copied = ::SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(copied < 0 ? 0 : copied));
        rows.push_back(Narrow(text));
    }
    return rows;
}

void SelectRow(HWND parent, int controlId, int row) {
    HWND list = ::GetDlgItem(parent, controlId);
    ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(controlId, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
}

void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + separator.size();
    }
}

bool SameText(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

} // namespace user_flows
