#pragma once

#include "controls/CStaticFromImage.h"
#include "framework/CMFCLinkCtrl.h"
#include "pages/IPage.h"

// Page 2 without the BT variant: the product's picture, title and welcome
// text, with links to its privacy policy, terms and the SDK licence.
class WelcomePageIsv : public IPage {
public:
    static constexpr UINT kTemplate = 104;
    static constexpr int kNextId = 1010;

    WelcomePageIsv(std::shared_ptr<LanguageManager> languageManager, HWND parent);

    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"WelcomePage"; }
    void UpdateTexts() override;

protected:
    BOOL OnInitDialog() override;
    void RegisterTexts() override;

private:
    void SizeLinks();
    void SetLinkUrls();
    void OnNext() { PressButton(ButtonType::Next); }

    CMFCLinkCtrl privacyLink;
    CMFCLinkCtrl termsLink;
    CMFCLinkCtrl sdkLinkCtrl;
    CStaticFromImage pageImage;
};
