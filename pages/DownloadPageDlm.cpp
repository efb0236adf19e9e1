#include "pages/DownloadPageDlm.h"

#include <objidl.h>
#include <gdiplus.h>

#include <chrono>

#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "download/DownloadAddress.h"
#include "download/DownloadManager.h"
#include "localisation/LanguageManager.h"
#include "process/ArchiveType.h"
#include "process/InstallerPreparation.h"

DownloadPageDlm::DownloadPageDlm(std::shared_ptr<LanguageManager> languageManager, HWND parent)
    : IPage(std::move(languageManager), kTemplate, parent) {
    OnMessage(WM_TIMER, [this](WPARAM id, LPARAM, LRESULT&) {
        if (id == kPollTimer) {
            CheckDownload();
        }
        return false;  // every timer goes on to the default handling
    });
    OnMessage(WM_DOWNLOAD_PROGRESS, &DownloadPageDlm::OnProgress);
    OnMessage(WM_DOWNLOAD_NO_LENGTH, &DownloadPageDlm::OnLengthUnknown);
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

void DownloadPageDlm::StartNextDownload() {
    auto config = ConfigurationManager::GetInstance();
    if (config->closing) {
        return;
    }
    const std::shared_ptr<Package>& package = downloadQueue.front();
    CString url;
    CString fileName;
    bool useWorkFolder = true;
    if (package->isMain) {
        url = config->cu;
        fileName = config->cf;
        useWorkFolder = false;
    } else {
        url = FullDownloadUrl(CString(package->u));
    }
    DownloadManager* manager = DownloadManager::GetInstance().get();
    const HWND page = m_hWnd;
    downloadResult = std::async(std::launch::async, [manager, url, page, fileName, useWorkFolder] {
        return manager->Download(url, page, fileName, useWorkFolder);
    });
    ::SetTimer(m_hWnd, kPollTimer, 100, nullptr);
}

void DownloadPageDlm::CheckDownload() {
    if (!downloadResult.valid() ||
        downloadResult.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        return;
    }
    ::KillTimer(m_hWnd, kPollTimer);
    const std::shared_ptr<Package> package = downloadQueue.front();
    downloadQueue.pop_front();
    const DownloadResult result = downloadResult.get();
    auto manager = DownloadManager::GetInstance();
    if (!result.first) {
        const std::string text =
            WideToNarrow(CString(L"DOWNLOAD FAILED: ") + result.second, CP_THREAD_ACP);
        package->SendEvent(-1, {{"12", text}});
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
    auto config = ConfigurationManager::GetInstance();
    while (!runQueue.empty()) {
        const auto [package, downloaded] = runQueue.front();
        CString path = downloaded;
        const ArchiveType type = DetectArchiveType(path);
        if (type != ArchiveType::Plain) {
            path = PrepareInstaller(path, type, config->workFolder);
        }
        const CString arguments = package->isMain ? config->productArguments : CString(package->p);
        runResult = RunProcessAsync(path, arguments, package->isMain);
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

void DownloadPageDlm::StartMarquee() {
    progressBar.SetRange(0, 100);
    progressBar.SetPos(0);
    progressBar.SetMarquee(true, 30);
    progressBar.ModifyStyle(0, PBS_MARQUEE);
}

LRESULT DownloadPageDlm::OnProgress(WPARAM percent, LPARAM) {
    const double fraction = static_cast<uint32_t>(percent) / 100.0;
    if (fraction > 1.0) {
        // A value above 100 cannot be shown as a share: the bar just moves.
        StartMarquee();
        return 0;
    }
    if (marquee) {
        progressBar.SetMarquee(false, 0);
        progressBar.SetRange(0, 100);
        progressBar.SetPos(0);
        progressBar.SendMessage(PBM_SETSTEP, 1);
        progressBar.ModifyStyle(PBS_MARQUEE, 0);
        marquee = false;
    }
    progressBar.SetPos(static_cast<int>(fraction * 100));
    return 0;
}

LRESULT DownloadPageDlm::OnLengthUnknown(WPARAM, LPARAM) {
    StartMarquee();
    marquee = true;
    return 0;
}
