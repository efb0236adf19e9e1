#include "pages/FinishPageDlm.h"

#include "config/ConfigurationManager.h"
#include "framework/ShellOpen.h"

FinishPageDlm::FinishPageDlm(std::shared_ptr<LanguageManager> manager, HWND parent)
    : IPage(std::move(manager), kTemplate, parent) {
    OnCommand(kFinishId, BN_CLICKED, &FinishPageDlm::OnFinish);
}

BOOL FinishPageDlm::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(launchRadio, kLaunchRadioId);
    BindControl(openFolderRadio, kOpenFolderRadioId);
    BindControl(pageImage, 1016);
    RegisterTexts();
    UpdateTexts();
    launchRadio.SetCheck(BST_CHECKED);
    pageImage.LoadFromResource(102, L"IMAGE_BLOB2");
    return TRUE;
}

void FinishPageDlm::RegisterTexts() {
    BindText(1030, "PAGE_FINISH_TITLE");
    BindText(1033, "PAGE_FINISH_TEXT");
    BindText(kFinishId, "BUTTON_FINISH");
    BindText(kLaunchRadioId, "LAUNCH_RADIO");
    BindText(kOpenFolderRadioId, "OPEN_FOLDER_RADIO");
}

void FinishPageDlm::OnNavigateToPage() {
    // Nothing runs in the background any more: the wizard is finished or
    // closed from here, not put aside.
    CWnd::ModifyStyle(::GetParent(m_hWnd), WS_MINIMIZEBOX, 0, SWP_FRAMECHANGED);
}

void FinishPageDlm::OnFinish() {
    const CString path = ConfigurationManager::GetInstance()->downloadedFile;
    // Without a product file there is nothing to open or select; Explorer
    // would show some default folder instead.
    if (!path.IsEmpty()) {
        if (launchRadio.GetCheck() == BST_CHECKED) {
            ShellOpen(path);
        } else if (openFolderRadio.GetCheck() == BST_CHECKED) {
            // Quoted, so that a path with spaces stays one argument.
            ShellOpen(L"explorer.exe", L"/select,\"" + path + L"\"");
        }
    }
    PressButton(ButtonType::Finish);
}
