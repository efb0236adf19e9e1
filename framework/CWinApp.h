#pragma once

#include <windows.h>

class CWnd;

// The application object: prepares the process and runs the main window.
class CWinApp {
public:
    virtual ~CWinApp() = default;
    // Returns FALSE when the process should end after it (a dialog-based
    // application ends when its dialog does).
    virtual BOOL InitInstance() { return TRUE; }

    CWnd* m_pMainWnd = nullptr;
};
