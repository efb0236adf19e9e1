#pragma once

#include "framework/CFont.h"
#include "framework/CLinkCtrl.h"
#include "framework/CRichEditCtrl.h"
#include "framework/CStatic.h"
#include "pages/IPage.h"

// Page 2 of the BT variant: a licence text to agree to, with links whose
// addresses come from the configuration, and a way back to page 0.
class LicensePageIsv : public IPage {
public:
    static constexpr UINT kTemplate = 112;
    static constexpr int kAgreeId = 1050;
    static constexpr int kBackId = 1051;
    static constexpr int kLinksId = 1047;

    LicensePageIsv(std::shared_ptr<LanguageManager> languageManager, HWND parent);

    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"LicensePage"; }

protected:
    BOOL OnInitDialog() override;
    void RegisterTexts() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;

private:
    void ReplaceLicenseUrls();

    CRichEditCtrl eulaText;
    CStatic titleLabel;
    CLinkCtrl licenseLinks;
    CBrush backgroundBrush;
    CFont titleFont;
};
