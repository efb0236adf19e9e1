#include "app/CTallwickApp.h"

#include <commctrl.h>

#include "app/CTallwickDlg.h"
#include "config/ConfigurationManager.h"
#include "framework/CRichEditCtrl.h"

CTallwickApp::~CTallwickApp() {
    gdiplus.reset();
}

BOOL CTallwickApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);
    // Link controls (SysLink) are not among the Windows 95 classes.
    INITCOMMONCONTROLSEX links{sizeof(links), ICC_LINK_CLASS};
    ::InitCommonControlsEx(&links);
    CWinApp::InitInstance();

    if (!AfxInitRichEdit()) {
        return FALSE;
    }
    gdiplus = std::make_unique<GdiplusSession>();
    {
        CTallwickDlg dialog;
        dialog.SetBackgroundColor(ConfigurationManager::GetInstance()->backgroundColor);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}
