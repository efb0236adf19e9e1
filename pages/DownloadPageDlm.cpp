#include "pages/DownloadPageDlm.h"

#include <objidl.h>
#include <gdiplus.h>

#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "download/DownloadAddress.h"
#include "localisation/LanguageManager.h"
#include "pages/DownloadSteps.h"

void DownloadPageDlm::ShowImage() {
    pageImage.SetImage(ConfigurationManager::GetInstance()->productImage);
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

void DownloadPageDlm::OnDownloaded(const std::shared_ptr<Package>& package, const CString& path) {
    if (package->isMain) {
        // The product stays where it landed; the finish page opens it.
        ConfigurationManager::GetInstance()->SetDownloadedFile(path);
        package->SendEvent(3);
    } else {
        runQueue.emplace_back(package, path);
    }
}

void DownloadPageDlm::OnDownloadsDone() {
    if (!runQueue.empty()) {
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
