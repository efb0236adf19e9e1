#include "download/DownloadManager.h"

#include <process.h>
#include <shlwapi.h>

#include <mutex>
#include <system_error>

#include "config/ConfigurationManager.h"
#include "download/TransferError.h"
#include "framework/MessageBox.h"
#include "framework/Sleep.h"
#include "process/PlainFileName.h"
#include "win32/SystemErrorText.h"
#include "win32/UniqueHandle.h"

namespace {

// The pause between a failed WinHTTP transfer and the WinINet attempt.
const unsigned kFallbackPauseMs = 2000;

// What a fetch thread needs; the thread owns it and frees it at its end.
struct FetchJob {
    DownloadManager* manager;
    CString url;
    DownloadManager::FetchCallback callback;
};

unsigned __stdcall RunFetch(void* argument) {
    std::unique_ptr<FetchJob> job(static_cast<FetchJob*>(argument));
    try {
        auto data = job->manager->FetchToMemory(job->url);
        if (job->manager->cancelled) {
            data.reset();
        }
        if (job->callback) {
            job->callback(std::move(data));
        }
    } catch (...) {
        // Nothing may leave a detached thread: it would end the process.
    }
    return 0;
}

}  // namespace

std::shared_ptr<DownloadManager> DownloadManager::GetInstance() {
    static std::once_flag once;
    static std::shared_ptr<DownloadManager> instance;
    std::call_once(once, [] { instance = std::make_shared<DownloadManager>(); });
    return instance;
}

CString DownloadManager::TargetFileName(const CString& url, const CString& fileName) {
    if (!fileName.IsEmpty()) {
        return fileName;
    }
    const int slash = url.ReverseFind(L'/');
    return slash < 0 ? CString() : url.Mid(slash + 1);
}

CString DownloadManager::TargetPath(const CString& url, const CString& fileName, bool useWorkFolder,
                                    bool& folderMissing) {
    auto config = ConfigurationManager::GetInstance();
    const CString folder = useWorkFolder ? config->workFolder : config->downloadsFolder;
    folderMissing = !::PathIsDirectoryW(folder);
    if (folderMissing) {
        return CString();
    }
    // PathAppendW would follow a separator, a drive or ".." out of the folder.
    const CString name = TargetFileName(url, fileName);
    if (!IsPlainFileName(name)) {
        return CString();
    }
    wchar_t buffer[MAX_PATH] = {};
    if (folder.GetLength() >= MAX_PATH) {
        return CString();
    }
    folder.str().copy(buffer, folder.str().size());
    if (!::PathAppendW(buffer, name)) {
        return CString();
    }
    return buffer;
}

CString DownloadManager::ResolveTargetPath(const CString& url, const CString& fileName,
                                           bool useWorkFolder) {
    bool folderMissing = false;
    CString path = TargetPath(url, fileName, useWorkFolder, folderMissing);
    if (folderMissing) {
        ShowMessageBox(nullptr, L"Invalid path", L"", MB_OK);
    }
    return path;
}

CString DownloadManager::PrepareTarget(const CString& url, const CString& fileName,
                                       bool useWorkFolder) {
    const CString name = TargetFileName(url, fileName);
    if (!IsPlainFileName(name)) {
        ThrowTransferError(L"Invalid file name: " + name);
    }
    return ResolveTargetPath(url, fileName, useWorkFolder);
}

DownloadManager::Result DownloadManager::Download(const CString& url, HWND window,
                                                  const CString& fileName, bool useWorkFolder) {
    const CString name = TargetFileName(url, fileName);
    if (!IsPlainFileName(name)) {
        // Neither engine could write it anywhere safe: no request, no file.
        return {false, L"Invalid file name: " + name};
    }
    Result first = DownloadWithWinHttp(url, window, fileName, useWorkFolder);
    if (first.first) {
        return {true, CString()};
    }
    CString text = first.second;
    // After the user quit, a second full transfer would only hold up the end
    // of the process: the cancelled transfer is not retried.
    if (!cancelled) {
        SleepFor(kFallbackPauseMs);
        Result second = DownloadWithWinInet(url, window, fileName, useWorkFolder);
        if (second.first) {
            return {true, first.second};
        }
        text += second.second;
    }
    bool folderMissing = false;
    const CString path = TargetPath(url, fileName, useWorkFolder, folderMissing);
    if (!path.IsEmpty()) {
        // Wide, so that a folder name outside the ANSI code page is removed too.
        ::DeleteFileW(path);
    }
    return {false, text};
}

void DownloadManager::FetchAsync(CString url, FetchCallback callback) {
    auto job = std::make_unique<FetchJob>(FetchJob{this, std::move(url), std::move(callback)});
    const uintptr_t thread = ::_beginthreadex(nullptr, 0, &RunFetch, job.get(), 0, nullptr);
    if (thread == 0) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    job.release();
    // Detached: closing the handle leaves the thread running on its own.
    win32::UniqueKernelHandle detached(reinterpret_cast<HANDLE>(thread));
}

CString DownloadManager::FormatSystemError(DWORD code) {
    return win32::SystemErrorText(code);
}
