#include "pages/LanguagePage.h"

#include "localisation/LanguageManager.h"

LanguagePage::LanguagePage(std::shared_ptr<LanguageManager> manager, HWND parent, UINT templateId)
    : IPage(std::move(manager), templateId, parent) {
    OnCommand(kComboId, CBN_SELCHANGE, &LanguagePage::ApplySelectedLanguage);
    OnCommand(kNextId, BN_CLICKED, &LanguagePage::OnNext);
}

BOOL LanguagePage::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(languageCombo, kComboId);
    RegisterTexts();
    languageManager->FillLanguageCombo(languageCombo);
    ApplySelectedLanguage();
    SendMessage(DM_SETDEFID, kNextId);
    return TRUE;
}

void LanguagePage::RegisterTexts() {
    BindText(kNextId, "BUTTON_NEXT");
    BindText(1011, "SPLASH_TEXT");
}

void LanguagePage::ApplySelectedLanguage() {
    const int selected = languageCombo.GetCurSel();
    if (selected != CB_ERR) {
        languageManager->SetLanguage(languageCombo.GetLBText(selected));
    }
}
