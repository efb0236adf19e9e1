#pragma once

#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <utility>

#include "controls/CStaticFromImage.h"
#include "controls/DownloadProgressBar.h"
#include "download/DownloadManager.h"
#include "pages/IPage.h"
#include "process/ProcessLauncher.h"

class Package;

// Downloads the maker's product and each accepted offer into the working
// folder, one at a time with a progress bar, then installs them: the
// product's installer first, waited for, its exit code deciding success, then
// the offers' installers without waiting. While the installers run, the main
// dialog is told (its quit question changes) and the bar is a marquee. The
// page has no buttons: it moves on to the finish page, or to the error page
// when the product could not be downloaded or installed.
class DownloadPageIsv : public IPage {
public:
    static constexpr UINT kTemplate = 106;
    static constexpr int kProgressId = 1043;
    static constexpr int kImageId = 1016;
    static constexpr UINT_PTR kPollTimer = 0x1000;
    static constexpr UINT_PTR kInstallerTimer = 0x1002;

    DownloadPageIsv(std::shared_ptr<LanguageManager> languageManager, HWND parent);

    void OnNavigateToPage() override;
    void OnWizardClosing() override;
    CString GetPageName() const override { return L"DownloadPageISV"; }

    // Told when the installers start and when the waited installer has ended
    // (or, without one, when the offers have been started).
    std::function<void()> installersRunningCallback;
    std::function<void()> installersDoneCallback;

protected:
    BOOL OnInitDialog() override;
    void RegisterTexts() override;

private:
    void StartNextDownload();
    void CheckDownload();
    void RunNextInstaller();
    void CheckMainInstaller();
    void Finish();
    void InstallersDone();

    DownloadProgressBar progressBar;
    std::future<DownloadManager::Result> downloadResult;
    std::future<RunResult> runResult;
    CString mainInstallerPath;
    bool mainFailed = false;
    std::deque<std::shared_ptr<Package>> downloadQueue;
    std::deque<std::pair<std::shared_ptr<Package>, CString>> runQueue;
    CStaticFromImage pageImage;
};
