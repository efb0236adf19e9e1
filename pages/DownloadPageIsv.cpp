#include "pages/DownloadPageIsv.h"

#include <objidl.h>
#include <gdiplus.h>

#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "download/DownloadAddress.h"
#include "localisation/LanguageManager.h"
#include "pages/DownloadSteps.h"

void DownloadPageIsv::ShowImage() {
    pageImage.LoadFromResource(101, L"IMAGE_BLOB");
}

void DownloadPageIsv::OnOtherTimer(UINT_PTR id) {
    if (id == kInstallerTimer) {
        CheckMainInstaller();
    }
}

void DownloadPageIsv::OnWizardClosing() {
    ::KillTimer(m_hWnd, kInstallerTimer);
    DownloadPage::OnWizardClosing();
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

void DownloadPageIsv::OnDownloaded(const std::shared_ptr<Package>& package, const CString& path) {
    if (package->isMain) {
        ConfigurationManager::GetInstance()->SetDownloadedFile(path);
    }
    runQueue.emplace_back(package, path);
}

void DownloadPageIsv::OnDownloadsDone() {
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
