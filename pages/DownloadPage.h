#pragma once

#include <deque>
#include <future>
#include <memory>
#include <utility>

#include "controls/CStaticFromImage.h"
#include "controls/DownloadProgressBar.h"
#include "download/DownloadManager.h"
#include "pages/IPage.h"
#include "process/ProcessLauncher.h"

class Package;

// What both download pages share: the queue of the product and the accepted
// offers, downloaded one at a time with a progress bar and polled by a timer,
// and the installers to start afterwards. The page has no buttons: each
// flavour decides where the files go, which installers are waited for and
// where the wizard goes next.
class DownloadPage : public IPage {
public:
    static constexpr int kProgressId = 1043;
    static constexpr int kImageId = 1016;
    static constexpr UINT_PTR kPollTimer = 0x1000;

    DownloadPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId, HWND parent);

    void OnNavigateToPage() override;
    void OnWizardClosing() override;

protected:
    BOOL OnInitDialog() override;
    // On each poll: once the current download has ended, reports a failure
    // or hands the file on, then starts the next one.
    void CheckDownload();
    void RegisterTexts() override;

    // The page's picture, once its controls are bound.
    virtual void ShowImage() = 0;
    virtual void StartNextDownload() = 0;
    // A download succeeded; path is the file it wrote.
    virtual void OnDownloaded(const std::shared_ptr<Package>& package, const CString& path) = 0;
    // The queue is done, every file downloaded or failed.
    virtual void OnDownloadsDone() = 0;
    // Where the wizard goes once nothing is left to do.
    virtual void Finish() = 0;
    // Timers other than the download poll.
    virtual void OnOtherTimer(UINT_PTR) {}

    DownloadProgressBar progressBar;
    std::future<DownloadManager::Result> downloadResult;
    std::future<RunResult> runResult;
    bool mainFailed = false;
    std::deque<std::shared_ptr<Package>> downloadQueue;
    std::deque<std::pair<std::shared_ptr<Package>, CString>> runQueue;
    CStaticFromImage pageImage;
};
