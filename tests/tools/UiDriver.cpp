// Drives a running wizard from outside, for screenshots and demonstrations:
//
//   ui_driver wait                 waits until a wizard window is visible
//   ui_driver language <index>     selects a language on the language page
//   ui_driver next                 presses Next on the language page
//   ui_driver error                shows the error page (command 1038)
//   ui_driver loaded               tells the wizard its configuration has loaded
//                                  (WM_USER+3), which builds and shows the next pages
//   ui_driver page <id>            waits (up to 30 s) until the visible page has control <id>
//   ui_driver click <id>           clicks button <id> of the visible page
//   ui_driver close                closes the wizard, confirming the question
//
// The wizard window is found by its dialog class and its page-area control.
#include <windows.h>

#include <cwchar>
#include <string>

#include "support/WizardWindows.h"

namespace {

using namespace wizard_windows;

HWND FindWizard() {
    return FindDialog(0, IsWizardWindow);
}

HWND WaitForWizard() {
    for (int i = 0; i < 200; ++i) {
        if (HWND wizard = FindWizard()) {
            return wizard;
        }
        Sleep(100);
    }
    return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr,
                      L"usage: ui_driver wait|language <index>|next|loaded|page <id>|click "
                      L"<id>|error|close\n");
        return 2;
    }
    const std::wstring action = argv[1];
    HWND wizard = WaitForWizard();
    if (!wizard) {
        std::fwprintf(stderr, L"ui_driver: no wizard window\n");
        return 1;
    }
    if (action == L"wait") {
        return 0;
    }
    if (action == L"language" && argc > 2) {
        HWND page = VisiblePageWith(wizard, 1000);
        if (!page) {
            return 1;
        }
        HWND combo = GetDlgItem(page, 1000);
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(_wtoi(argv[2])), 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        return 0;
    }
    if (action == L"next") {
        HWND page = VisiblePageWith(wizard, 1010);
        if (!page) {
            return 1;
        }
        SendMessageW(GetDlgItem(page, 1010), BM_CLICK, 0, 0);
        return 0;
    }
    if (action == L"loaded") {
        PostMessageW(wizard, WM_USER + 3, 0, 0);
        return 0;
    }
    if (action == L"page" && argc > 2) {
        const int id = _wtoi(argv[2]);
        for (int i = 0; i < 300; ++i) {
            if (VisiblePageWith(wizard, id)) {
                return 0;
            }
            Sleep(100);
        }
        std::fwprintf(stderr, L"ui_driver: no page with control %d\n", id);
        return 1;
    }
    if (action == L"click" && argc > 2) {
        const int id = _wtoi(argv[2]);
        HWND page = VisiblePageWith(wizard, id);
        if (!page) {
            return 1;
        }
        SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
        return 0;
    }
    if (action == L"error") {
        SendMessageW(wizard, WM_COMMAND, MAKEWPARAM(1038, BN_CLICKED), 0);
        return 0;
    }
    if (action == L"close") {
        PostMessageW(wizard, WM_CLOSE, 0, 0);
        // Answer the close question, if one comes.
        DWORD process = 0;
        GetWindowThreadProcessId(wizard, &process);
        for (int i = 0; i < 50 && IsWindow(wizard); ++i) {
            Sleep(100);
            HWND box = FindWindowExW(nullptr, nullptr, L"#32770", L"");
            DWORD owner = 0;
            if (box && box != wizard) {
                GetWindowThreadProcessId(box, &owner);
                if (owner == process) {
                    SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                }
            }
        }
        return IsWindow(wizard) ? 1 : 0;
    }
    std::fwprintf(stderr, L"ui_driver: unknown action\n");
    return 2;
}
