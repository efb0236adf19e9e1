#include "pages/DownloadPage.h"

#include <objidl.h>
#include <gdiplus.h>

#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "pages/DownloadSteps.h"

DownloadPage::DownloadPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId,
                           HWND parent)
    : IPage(std::move(languageManager), templateId, parent) {
    OnMessage(WM_TIMER, [this](WPARAM id, LPARAM, LRESULT&) {
        if (id == kPollTimer) {
            CheckDownload();
        } else {
            OnOtherTimer(id);
        }
        return false;  // every timer goes on to the default handling
    });
    OnMessage(WM_DOWNLOAD_PROGRESS, [this](WPARAM percent, LPARAM, LRESULT& result) {
        progressBar.OnProgress(percent);
        result = 0;
        return true;
    });
    OnMessage(WM_DOWNLOAD_NO_LENGTH, [this](WPARAM, LPARAM, LRESULT& result) {
        progressBar.OnLengthUnknown();
        result = 0;
        return true;
    });
}

BOOL DownloadPage::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(progressBar, kProgressId);
    BindControl(pageImage, kImageId);
    RegisterTexts();
    UpdateTexts();
    ShowImage();
    return TRUE;
}

void DownloadPage::RegisterTexts() {
    BindText(1025, "PROGRESS_TITLE");
    BindText(1026, "PROGRESS_DESC");
}

void DownloadPage::OnNavigateToPage() {
    auto config = ConfigurationManager::GetInstance();
    if (config->mainPackage) {
        downloadQueue.push_back(config->mainPackage);
    }
    const auto accepted = config->acceptedOffers;
    downloadQueue.insert(downloadQueue.end(), accepted.begin(), accepted.end());
    if (downloadQueue.empty()) {
        Finish();
        return;
    }
    StartNextDownload();
}

void DownloadPage::OnWizardClosing() {
    ::KillTimer(m_hWnd, kPollTimer);
    // The download manager has been told to cancel: the transfer ends at its
    // next block and closes its file.
    if (downloadResult.valid()) {
        downloadResult.wait();
    }
    // An installer the user chose to leave running goes on by itself.
    LetRunContinue(std::move(runResult));
}

void DownloadPage::CheckDownload() {
    if (!IsReady(downloadResult)) {
        return;
    }
    ::KillTimer(m_hWnd, kPollTimer);
    const std::shared_ptr<Package> package = downloadQueue.front();
    downloadQueue.pop_front();
    const DownloadManager::Result result = downloadResult.get();
    if (!result.first) {
        ReportDownloadFailure(*package, result.second);
        if (package->isMain) {
            mainFailed = true;
        }
    } else {
        OnDownloaded(package, DownloadManager::GetInstance()->downloadedPath);
    }
    if (!downloadQueue.empty()) {
        StartNextDownload();
    } else {
        OnDownloadsDone();
    }
}
