#pragma once

#include "framework/CComboBox.h"
#include "pages/IPage.h"

// Page 0: the user picks the wizard's language; Next starts the wizard.
class LanguagePage : public IPage {
public:
    static constexpr UINT kTemplate = 9;
    static constexpr int kComboId = 1000;
    static constexpr int kNextId = 1010;

    LanguagePage(std::shared_ptr<LanguageManager> languageManager, HWND parent,
                 UINT templateId = kTemplate);

    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"LanguagePage"; }

protected:
    BOOL OnInitDialog() override;
    void RegisterTexts() override;
    void ApplySelectedLanguage();
    void OnNext() { PressButton(ButtonType::Next); }

    CComboBox languageCombo;
};
