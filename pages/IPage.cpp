#include "pages/IPage.h"

#include "config/ConfigurationManager.h"
#include "localisation/LanguageManager.h"

IPage::IPage(std::shared_ptr<LanguageManager> manager, UINT templateId, HWND parent)
    : CDialogEx(templateId, parent), languageManager(std::move(manager)) {
    if (languageManager) {
        languageManager->AddPage(this);
    }
    accentBrush.CreateSolidBrush(ConfigurationManager::GetInstance()->accentColor);
}

IPage::~IPage() {
    if (languageManager) {
        languageManager->RemovePage(this);
    }
}

void IPage::UpdateTexts() {
    if (!languageManager || !HasWindow()) {
        return;
    }
    for (const auto& [controlId, key] : textBindings) {
        HWND control = GetDlgItem(controlId);
        if (!control) {
            continue;
        }
        const CString text = languageManager->GetText(key);
        if (!text.IsEmpty()) {
            ::SetWindowTextW(control, text);
        }
    }
}

HBRUSH IPage::OnCtlColor(HDC dc, HWND control, UINT kind) {
    if (control && ::GetDlgCtrlID(control) == kPageButtonBarId) {
        ::SetBkMode(dc, TRANSPARENT);
        return accentBrush;
    }
    return CDialogEx::OnCtlColor(dc, control, kind);
}
