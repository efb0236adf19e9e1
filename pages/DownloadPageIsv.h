#pragma once

#include <functional>

#include "pages/DownloadPage.h"

// Downloads the maker's product and each accepted offer into the working
// folder, then installs them: the product's installer first, waited for, its
// exit code deciding success, then the offers' installers without waiting.
// While the installers run, the main dialog is told (its quit question
// changes) and the bar is a marquee. It moves on to the finish page, or to
// the error page when the product could not be downloaded or installed.
class DownloadPageIsv : public DownloadPage {
public:
    static constexpr UINT kTemplate = 106;
    static constexpr UINT_PTR kInstallerTimer = 0x1002;

    DownloadPageIsv(std::shared_ptr<LanguageManager> languageManager, HWND parent)
        : DownloadPage(std::move(languageManager), kTemplate, parent) {}

    void OnWizardClosing() override;
    CString GetPageName() const override { return L"DownloadPageISV"; }

    // Told when the installers start and when the waited installer has ended
    // (or, without one, when the offers have been started).
    std::function<void()> installersRunningCallback;
    std::function<void()> installersDoneCallback;

private:
    void ShowImage() override;
    void StartNextDownload() override;
    void OnDownloaded(const std::shared_ptr<Package>& package, const CString& path) override;
    void OnDownloadsDone() override;
    void Finish() override;
    void OnOtherTimer(UINT_PTR id) override;
    void RunNextInstaller();
    void CheckMainInstaller();
    void InstallersDone();

    CString mainInstallerPath;
};
