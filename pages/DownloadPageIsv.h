#pragma once

#include "pages/IPage.h"

// Page that downloads and installs the product and the accepted offers (ISV).
//
// Placeholder until its own work lands: the page shows its template and
// reports no buttons.
class DownloadPageIsv : public IPage {
public:
    static constexpr UINT kTemplate = 106;

    DownloadPageIsv(std::shared_ptr<LanguageManager> languageManager, HWND parent)
        : IPage(std::move(languageManager), kTemplate, parent) {}

    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"DownloadPageISV"; }

    // Told when the downloaded installers start running in the background and
    // when they are done.
    std::function<void()> installersRunningCallback;
    std::function<void()> installersDoneCallback;
};
