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

// Downloads the main product into the user's Downloads folder and each
// accepted offer into the working folder, one at a time with a progress bar,
// then starts the offers without waiting for them. The page has no buttons:
// it moves on by itself, to the finish page or, when the product could not be
// downloaded, to the error page.
class DownloadPageDlm : public IPage {
public:
    static constexpr UINT kTemplate = 110;
    static constexpr int kProgressId = 1043;
    static constexpr int kImageId = 1016;
    static constexpr UINT_PTR kPollTimer = 0x1000;

    DownloadPageDlm(std::shared_ptr<LanguageManager> languageManager, HWND parent);

    void OnNavigateToPage() override;
    void OnWizardClosing() override;
    CString GetPageName() const override { return L"DownloadPageDLM"; }

protected:
    BOOL OnInitDialog() override;
    void RegisterTexts() override;

private:
    void StartNextDownload();
    void CheckDownload();
    void RunNextInstaller();
    void Finish();

    DownloadProgressBar progressBar;
    std::future<DownloadManager::Result> downloadResult;
    std::future<RunResult> runResult;
    bool mainFailed = false;
    std::deque<std::shared_ptr<Package>> downloadQueue;
    std::deque<std::pair<std::shared_ptr<Package>, CString>> runQueue;
    CStaticFromImage pageImage;
};
