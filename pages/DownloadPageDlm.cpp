#include "pages/DownloadPageDlm.h"

#include <objidl.h>
#include <gdiplus.h>

#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "download/DownloadAddress.h"
#include "localisation/LanguageManager.h"
#include "pages/DownloadSteps.h"

DownloadPageDlm::DownloadPageDlm(std::shared_ptr<LanguageManager> languageManager, HWND parent)
    : IPage(std::move(languageManager), kTemplate, parent) {
    OnMessage(WM_TIMER, [this](WPARAM id, LPARAM, LRESULT&) {
        if (id == kPollTimer) {
            CheckDownload();
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

BOOL DownloadPageDlm::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(progressBar, kProgressId);
    BindControl(pageImage, kImageId);
    RegisterTexts();
    UpdateTexts();
    pageImage.SetImage(ConfigurationManager::GetInstance()->productImage);
    return TRUE;
}

void DownloadPageDlm::RegisterTexts() {
    BindText(1025, "PROGRESS_TITLE");
    BindText(1026, "PROGRESS_DESC");
}

void DownloadPageDlm::OnNavigateToPage() {
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

void DownloadPageDlm::OnWizardClosing() {
    ::KillTimer(m_hWnd, kPollTimer);
    // The download manager has been told to cancel: the transfer ends at its
    // next block and closes its file.
    if (downloadResult.valid()) {
        downloadResult.wait();
    }
    LetRunContinue(std::move(runResult));
}

void DownloadPageDlm::StartNextDownload() {
    auto config = ConfigurationManager::GetInstance();
    if (config->closing) {
        return;
    }
    const std::shared_ptr<Package>& package = downloadQueue.front();
    if (package->isMain) {
        downloadResult = StartDownload(config->cu, m_hWnd, config->cf, false);
    } else {
        downloadResult =
            StartDownload(FullDownloadUrl(CString(package->u)), m_hWnd, CString(), true);
    }
    ::SetTimer(m_hWnd, kPollTimer, 100, nullptr);
}

void DownloadPageDlm::CheckDownload() {
    if (!IsReady(downloadResult)) {
        return;
    }
    ::KillTimer(m_hWnd, kPollTimer);
    const std::shared_ptr<Package> package = downloadQueue.front();
    downloadQueue.pop_front();
    const DownloadManager::Result result = downloadResult.get();
    auto manager = DownloadManager::GetInstance();
    if (!result.first) {
        ReportDownloadFailure(*package, result.second);
        if (package->isMain) {
            mainFailed = true;
        }
    } else if (package->isMain) {
        ConfigurationManager::GetInstance()->SetDownloadedFile(manager->downloadedPath);
        package->SendEvent(3);
    } else {
        runQueue.emplace_back(package, manager->downloadedPath);
    }

    if (!downloadQueue.empty()) {
        StartNextDownload();
    } else if (!runQueue.empty()) {
        RunNextInstaller();
    } else {
        Finish();
    }
}

void DownloadPageDlm::RunNextInstaller() {
    // Only offers are queued here: each starts without waiting for the last.
    while (!runQueue.empty()) {
        const auto [package, downloaded] = runQueue.front();
        runResult = StartInstaller(*package, InstallerToRun(downloaded));
        package->SendEvent(3);
        runQueue.pop_front();
    }
    Finish();
}

void DownloadPageDlm::Finish() {
    if (mainFailed) {
        ReportError(languageManager->GetText("PAGE_DOWNLOAD_ERROR_TITLE"),
                    languageManager->GetText("PAGE_DOWNLOAD_ERROR_DESC"));
    } else {
        PressButton(ButtonType::Next);
    }
}
