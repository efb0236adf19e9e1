#include "pages/DownloadPageIsv.h"

#include <objidl.h>
#include <gdiplus.h>

#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "download/DownloadAddress.h"
#include "localisation/LanguageManager.h"
#include "pages/DownloadSteps.h"

DownloadPageIsv::DownloadPageIsv(std::shared_ptr<LanguageManager> languageManager, HWND parent)
    : IPage(std::move(languageManager), kTemplate, parent) {
    OnMessage(WM_TIMER, [this](WPARAM id, LPARAM, LRESULT&) {
        if (id == kPollTimer) {
            CheckDownload();
        } else if (id == kInstallerTimer) {
            CheckMainInstaller();
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

BOOL DownloadPageIsv::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(progressBar, kProgressId);
    BindControl(pageImage, kImageId);
    RegisterTexts();
    UpdateTexts();
    pageImage.LoadFromResource(101, L"IMAGE_BLOB");
    return TRUE;
}

void DownloadPageIsv::RegisterTexts() {
    BindText(1025, "PROGRESS_TITLE");
    BindText(1026, "PROGRESS_DESC");
}

void DownloadPageIsv::OnNavigateToPage() {
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

void DownloadPageIsv::OnWizardClosing() {
    ::KillTimer(m_hWnd, kPollTimer);
    ::KillTimer(m_hWnd, kInstallerTimer);
    // The download manager has been told to cancel: the transfer ends at its
    // next block and closes its file.
    if (downloadResult.valid()) {
        downloadResult.wait();
    }
    // The user chose to leave a running installer running.
    LetRunContinue(std::move(runResult));
}

void DownloadPageIsv::StartNextDownload() {
    auto config = ConfigurationManager::GetInstance();
    if (config->closing) {
        return;
    }
    const std::shared_ptr<Package>& package = downloadQueue.front();
    const CString address = package->isMain ? config->cu : CString(package->u);
    downloadResult = StartDownload(FullDownloadUrl(address), m_hWnd, CString(), true);
    ::SetTimer(m_hWnd, kPollTimer, 100, nullptr);
}

void DownloadPageIsv::CheckDownload() {
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
        const CString downloaded = DownloadManager::GetInstance()->downloadedPath;
        if (package->isMain) {
            ConfigurationManager::GetInstance()->SetDownloadedFile(downloaded);
        }
        runQueue.emplace_back(package, downloaded);
    }
    if (!downloadQueue.empty()) {
        StartNextDownload();
        return;
    }

    if (installersRunningCallback) {
        installersRunningCallback();
    }
    progressBar.OnInstalling();
    if (runQueue.empty()) {
        // Nothing was downloaded, the product included.
        ReportError(languageManager->GetText("PAGE_ERROR_TITLE"),
                    languageManager->GetText("PAGE_ERROR_TEXT"));
        return;
    }
    RunNextInstaller();
}

void DownloadPageIsv::RunNextInstaller() {
    while (!runQueue.empty()) {
        const auto [package, downloaded] = runQueue.front();
        const CString path = InstallerToRun(downloaded);
        runResult = StartInstaller(*package, path);
        if (package->isMain) {
            // The product's installer runs alone; its entry stays queued until
            // it has ended.
            mainInstallerPath = path;
            ::SetTimer(m_hWnd, kInstallerTimer, 100, nullptr);
            return;
        }
        package->SendEvent(3);
        runQueue.pop_front();
    }
    InstallersDone();
    Finish();
}

void DownloadPageIsv::CheckMainInstaller() {
    if (!IsReady(runResult)) {
        return;
    }
    ::KillTimer(m_hWnd, kInstallerTimer);
    const std::shared_ptr<Package> package = runQueue.front().first;
    InstallersDone();
    const RunResult result = runResult.get();
    if (result.first != 0) {
        const std::string field =
            WideToNarrow(CString(L"EXEC FAILED: ") + result.second, CP_THREAD_ACP);
        package->SendEvent(-1, {{"12", field}});
        mainFailed = true;
    } else {
        // The program actually run, which may lie in an extraction folder.
        ConfigurationManager::GetInstance()->SetDownloadedFile(mainInstallerPath);
        package->SendEvent(3);
    }
    runQueue.pop_front();
    if (!runQueue.empty()) {
        RunNextInstaller();
    } else {
        Finish();
    }
}

void DownloadPageIsv::InstallersDone() {
    if (installersDoneCallback) {
        installersDoneCallback();
    }
}

void DownloadPageIsv::Finish() {
    if (mainFailed) {
        ReportError(languageManager->GetText("PAGE_ERROR_TITLE"),
                    languageManager->GetText("PAGE_ERROR_TEXT"));
    } else {
        PressButton(ButtonType::Next);
    }
}
