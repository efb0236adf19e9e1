#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

#include "framework/CRichEditCtrl.h"
#include "framework/CString.h"
#include "framework/GdiplusSession.h"

// What the wizard's application object prepares before its first window:
// common controls, rich edit 1.0 and GDI+. One per UI test program.
class UiEnvironment {
public:
    UiEnvironment() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF | ICC_LINK_CLASS};
        InitCommonControlsEx(&controls);
        AfxInitRichEdit();
    }

private:
    GdiplusSession gdiplus;
};

// Base of the UI test fixtures: one UiEnvironment for the whole suite.
class UiTest : public testing::Test {
protected:
    static void SetUpTestSuite() { environment = new UiEnvironment; }
    static void TearDownTestSuite() {
        delete environment;
        environment = nullptr;
    }

private:
    static inline UiEnvironment* environment = nullptr;
};

inline std::string WindowText(HWND window) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, 1024);
    return WideToNarrow(buffer, CP_UTF8);
}

inline std::string ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

inline void ClickButton(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Delivers the messages already posted to this thread's windows.
inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
