#include "app/CAboutDlg.h"

#include "config/ConfigurationManager.h"

CAboutDlg::CAboutDlg(HWND parent) : CDialogEx(kTemplate, parent) {
    OnCommand(IDOK, BN_CLICKED, [this] { EndDialog(IDOK); });
    OnCommand(IDCANCEL, BN_CLICKED, [this] { EndDialog(IDCANCEL); });
}

BOOL CAboutDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    CString text;
    text.Format(L"Tallwick, Version %s",
                ConfigurationManager::GetInstance()->programVersion.GetString());
    ::SetDlgItemTextW(m_hWnd, 1045, text);
    return TRUE;
}
