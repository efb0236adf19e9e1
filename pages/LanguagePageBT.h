#pragma once

#include "pages/LanguagePage.h"

// Page 0 of the BT variant: a title and a text of its own, the language list
// hidden (the user's language is applied as it stands).
class LanguagePageBT : public LanguagePage {
public:
    static constexpr UINT kTemplate = 10;

    LanguagePageBT(std::shared_ptr<LanguageManager> languageManager, HWND parent)
        : LanguagePage(std::move(languageManager), parent, kTemplate) {}

    CString GetPageName() const override { return L"LanguagePageBT"; }

protected:
    void RegisterTexts() override {
        BindText(kNextId, "BUTTON_NEXT");
        BindText(1013, "SPLASH_TITLE_BT");
        BindText(1012, "SPLASH_TEXT_BT");
    }
};
