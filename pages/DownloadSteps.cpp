#include "pages/DownloadSteps.h"

#include <thread>
#include <utility>

#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "process/ArchiveType.h"
#include "process/InstallerPreparation.h"

std::future<DownloadManager::Result> StartDownload(const CString& url, HWND window,
                                                   const CString& fileName, bool useWorkFolder) {
    DownloadManager* manager = DownloadManager::GetInstance().get();
    return std::async(std::launch::async, [manager, url, window, fileName, useWorkFolder] {
        return manager->Download(url, window, fileName, useWorkFolder);
    });
}

void ReportDownloadFailure(Package& package, const CString& text) {
    const std::string field = WideToNarrow(CString(L"DOWNLOAD FAILED: ") + text, CP_THREAD_ACP);
    package.SendEvent(-1, {{"12", field}});
}

CString InstallerToRun(const CString& downloaded) {
    const ArchiveType type = DetectArchiveType(downloaded);
    if (type == ArchiveType::Plain) {
        return downloaded;
    }
    return PrepareInstaller(downloaded, type, ConfigurationManager::GetInstance()->workFolder);
}

std::future<RunResult> StartInstaller(const Package& package, const CString& path) {
    const CString arguments =
        package.isMain ? ConfigurationManager::GetInstance()->productArguments : CString(package.p);
    return RunProcessAsync(path, arguments, package.isMain);
}

void LetRunContinue(std::future<RunResult> run) {
    if (IsReady(run) || !run.valid()) {
        return;
    }
    std::thread([run = std::move(run)]() mutable { run.wait(); }).detach();
}
