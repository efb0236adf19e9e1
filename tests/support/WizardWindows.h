#pragma once

// Finding the wizard's windows from another process: the tests that start a
// wizard executable, the UI driver and the wizard benchmark.
#include <windows.h>

#include <cwchar>
#include <functional>
#include <utility>

namespace wizard_windows {

// The main dialog holds the page area; no other dialog of the wizard does.
inline bool IsWizardWindow(HWND window) {
    return GetDlgItem(window, 1014) != nullptr;
}

namespace detail {
struct DialogSearch {
    DWORD process;
    const std::function<bool(HWND)>& match;
    HWND found;
};

inline BOOL CALLBACK VisitDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if ((search->process == 0 || owner == search->process) && IsWindowVisible(window) &&
        std::wcscmp(name, L"#32770") == 0 && search->match(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace detail

// A visible dialog window of the process (any process when 0) that matches;
// null when there is none now.
inline HWND FindDialog(DWORD process, const std::function<bool(HWND)>& match) {
    detail::DialogSearch search{process, match, nullptr};
    EnumWindows(&detail::VisitDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// FindDialog, tried every 100 ms for up to timeoutMs.
inline HWND WaitForDialog(DWORD process, const std::function<bool(HWND)>& match,
                          int timeoutMs = 30000) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
        if (HWND found = FindDialog(process, match)) {
            return found;
        }
        Sleep(100);
    }
    return nullptr;
}

// The visible page of the wizard that has the control.
inline HWND VisiblePageWith(HWND wizard, int controlId) {
    for (HWND child = GetWindow(wizard, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && GetDlgItem(child, controlId)) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace wizard_windows
