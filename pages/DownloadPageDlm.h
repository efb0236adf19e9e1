#pragma once

#include "pages/DownloadPage.h"

// Downloads the main product into the user's Downloads folder and each
// accepted offer into the working folder, then starts the offers without
// waiting for them. It moves on to the finish page or, when the product could
// not be downloaded, to the error page.
class DownloadPageDlm : public DownloadPage {
public:
    static constexpr UINT kTemplate = 110;

    DownloadPageDlm(std::shared_ptr<LanguageManager> languageManager, HWND parent)
        : DownloadPage(std::move(languageManager), kTemplate, parent) {}

    CString GetPageName() const override { return L"DownloadPageDLM"; }

private:
    void ShowImage() override;
    void StartNextDownload() override;
    void OnDownloaded(const std::shared_ptr<Package>& package, const CString& path) override;
    void OnDownloadsDone() override;
    void Finish() override;
    void RunNextInstaller();
};
