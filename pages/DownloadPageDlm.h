#pragma once

#include "pages/IPage.h"

// Page that downloads the product and the accepted offers (DLM).
//
// Placeholder until its own work lands: the page shows its template and
// reports no buttons.
class DownloadPageDlm : public IPage {
public:
    static constexpr UINT kTemplate = 110;

    DownloadPageDlm(std::shared_ptr<LanguageManager> languageManager, HWND parent)
        : IPage(std::move(languageManager), kTemplate, parent) {}

    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"DownloadPageDLM"; }
};
