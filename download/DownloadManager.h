#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "framework/CString.h"

// The single object through which the wizard downloads: installers to files
// (WinHTTP first, WinINet after a pause when that fails) with progress posted
// to a window, and small resources such as images into memory on detached
// threads. It carries the process-wide cancel flag and remembers the path of
// the last file it wrote. It knows nothing of windows beyond the handle it
// posts progress to.
class DownloadManager {
public:
    // (success, message): the message is empty on success, otherwise the
    // engine's tag followed by its error text.
    using Result = std::pair<bool, CString>;
    // Receives the fetched bytes (possibly none); null when the wizard is
    // closing.
    using FetchCallback = std::function<void(std::unique_ptr<std::vector<char>>)>;

    static std::shared_ptr<DownloadManager> GetInstance();

    // Downloads url into the work folder (useWorkFolder) or the downloads
    // folder, under fileName or, when that is empty, the last part of the
    // address. Blocking: runs on a worker. Progress goes to window as
    // WM_USER+1 (percent) and WM_USER+2 (no length). A failed download leaves
    // no file behind; a name that would reach outside the folder fails at once
    // and writes nothing.
    Result Download(const CString& url, HWND window, const CString& fileName, bool useWorkFolder);

    // Fetches url into memory on a new detached thread and hands the bytes to
    // callback there. Throws std::system_error when no thread can be started.
    void FetchAsync(CString url, FetchCallback callback);

    // The file a download writes, or empty text when no path can be formed.
    // A missing folder is reported with the "Invalid path" box (on the calling
    // worker, which it blocks until dismissed).
    CString ResolveTargetPath(const CString& url, const CString& fileName, bool useWorkFolder);

    // One transfer each, with the same inputs as Download; neither removes
    // what it wrote.
    Result DownloadWithWinHttp(const CString& url, HWND window, const CString& fileName,
                               bool useWorkFolder);
    Result DownloadWithWinInet(const CString& url, HWND window, const CString& fileName,
                               bool useWorkFolder);

    // The body of url, in two attempts at most; empty after two failures.
    std::unique_ptr<std::vector<char>> FetchToMemory(const CString& url);

    // The system's message for a Win32 error code (normally ending in a line
    // break); empty when it has none.
    static CString FormatSystemError(DWORD code);

    // Set once by the user-interface thread when the user quits, never
    // cleared; the transfers poll it between blocks.
    std::atomic<bool> cancelled{false};
    // Full path of the file the last successful file transfer wrote. Written
    // by the one running download, read by the page after its result arrived.
    CString downloadedPath;

private:
    // The file name a download uses: fileName, or the part of url after its
    // last '/'.
    static CString TargetFileName(const CString& url, const CString& fileName);
    // The target path without the "Invalid path" box; empty when the folder
    // is missing, the name is not a plain file name, or the path is too long.
    static CString TargetPath(const CString& url, const CString& fileName, bool useWorkFolder,
                              bool& folderMissing);
    // The target path for one engine; throws "Invalid file name: <name>"
    // before anything is written when the name could reach outside the folder.
    CString PrepareTarget(const CString& url, const CString& fileName, bool useWorkFolder);
};
