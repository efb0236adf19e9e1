#include "pages/FinishPageIsv.h"

#include "config/ConfigurationManager.h"
#include "config/PathMacros.h"
#include "framework/ShellOpen.h"

FinishPageIsv::FinishPageIsv(std::shared_ptr<LanguageManager> manager, HWND parent)
    : IPage(std::move(manager), kTemplate, parent) {
    OnCommand(kFinishId, BN_CLICKED, &FinishPageIsv::OnFinish);
}

BOOL FinishPageIsv::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(launchCheckbox, kLaunchCheckboxId);
    BindControl(pageImage, 1016);
    RegisterTexts();
    UpdateTexts();
    launchCheckbox.SetCheck(BST_CHECKED);
    pageImage.LoadFromResource(102, L"IMAGE_BLOB2");
    return TRUE;
}

void FinishPageIsv::RegisterTexts() {
    BindText(1030, "PAGE_FINISH_TITLE");
    BindText(1033, "PAGE_FINISH_TEXT");
    BindText(kFinishId, "BUTTON_FINISH");
    BindText(kLaunchCheckboxId, "LAUNCH_CHECKBOX");
}

void FinishPageIsv::OnNavigateToPage() {
    // Nothing runs in the background any more: the wizard is finished or
    // closed from here, not put aside.
    CWnd::ModifyStyle(::GetParent(m_hWnd), WS_MINIMIZEBOX, 0, SWP_FRAMECHANGED);
}

void FinishPageIsv::OnFinish() {
    if (launchCheckbox.GetCheck() == BST_CHECKED) {
        auto config = ConfigurationManager::GetInstance();
        const CString target = ExpandPathMacros(config->launchPath);
        // A build without an application to launch leaves the path empty: the
        // shell is not handed an empty name to guess at.
        if (!target.IsEmpty()) {
            ShellOpen(target, config->launchArguments);
        }
    }
    PressButton(ButtonType::Finish);
}
