// The WinINet file transfer, the download manager's second engine. wininet.h
// cannot share a translation unit with winhttp.h.
#include <windows.h>
#include <wininet.h>

#include <stdexcept>
#include <vector>

#include "api/NetworkTimeouts.h"
#include "download/DownloadManager.h"
#include "download/TargetFile.h"
#include "download/TransferError.h"
#include "download/TransferProgress.h"
#include "win32/WinInetHandle.h"

namespace {

// The most one read asks for (never more than has arrived): on a fast body
// each read costs a call and a write. bench/run measured 4 KiB, 64 KiB and
// 256 KiB within its noise of each other on loopback HTTPS, where decryption
// sets the pace.
const DWORD kReadBlock = 64 * 1024;

void SetTimeouts(HINTERNET handle) {
    const struct {
        DWORD option;
        DWORD milliseconds;
    } timeouts[] = {{INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs},
                    {INTERNET_OPTION_SEND_TIMEOUT, kSendTimeoutMs},
                    {INTERNET_OPTION_RECEIVE_TIMEOUT, kDownloadReceiveTimeoutMs}};
    for (auto timeout : timeouts) {
        ::InternetSetOptionW(handle, timeout.option, &timeout.milliseconds,
                             sizeof(timeout.milliseconds));
    }
}

}  // namespace

DownloadManager::Result DownloadManager::DownloadWithWinInet(const CString& url, HWND window,
                                                             const CString& fileName,
                                                             bool useWorkFolder) {
    Result result(false, CString());
    try {
        const CString path = PrepareTarget(url, fileName, useWorkFolder);
        TargetFile file(path);
        // Declared in this order so that the URL handle closes first.
        win32::UniqueWinInetHandle internet(
            ::InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!internet) {
            ThrowSystemError(L"Failed to initialize WinINet:: %d - %s", ::GetLastError());
        }
        // WinINet would wait for ever on a silent server: a receive that
        // makes no progress for this long ends the transfer.
        SetTimeouts(internet.get());
        // WinINet follows redirects itself.
        win32::UniqueWinInetHandle resource(
            ::InternetOpenUrlW(internet.get(), url, nullptr, 0, INTERNET_FLAG_RELOAD, 0));
        if (!resource) {
            ThrowSystemError(L"Failed to open URL:: %d - %s", ::GetLastError());
        }
        // The request made by InternetOpenUrlW does not take every limit
        // over from the session (Wine's keeps no receive limit): set them on
        // it as well.
        SetTimeouts(resource.get());
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!::HttpQueryInfoW(resource.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                              &status, &size, nullptr)) {
            ThrowSystemError(L"Failed to query HTTP status code: %d - %s", ::GetLastError());
        }
        if (status != 200) {
            CString text;
            text.Format(L"Server returned status code: HTTP %d - %s", static_cast<int>(status),
                        FormatSystemError(::GetLastError()).GetString());
            ThrowTransferError(text);
        }
        DWORD length = 0;
        size = sizeof(length);
        const bool lengthKnown =
            ::HttpQueryInfoW(resource.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                             &length, &size, nullptr) != FALSE;
        if (!lengthKnown) {
            PostLengthUnknown(window);
        }
        if (!file.IsOpen()) {
            ThrowSystemError(L"Failed to open file for writing: %d - %s", file.OpenError());
        }
        TransferProgress progress(window, lengthKnown ? length : 0);
        // Any other failed read ends the body like its end does; only the
        // length check below can tell that bytes are missing.
        std::vector<char> block(kReadBlock);
        DWORD read = 0;
        for (;;) {
            // A closing wizard must not wait for a body that drips.
            if (cancelled) {
                ThrowTransferError(L"Download cancelled.");
            }
            // InternetReadFile waits until the whole block has arrived; asking
            // what is there first lets a slow body be read as it comes, so the
            // cancel flag is seen between its bytes.
            DWORD available = 0;
            bool failed = !::InternetQueryDataAvailable(resource.get(), &available, 0, 0);
            if (!failed && available == 0) {
                break;
            }
            const DWORD wanted = available < kReadBlock ? available : kReadBlock;
            failed = failed || !::InternetReadFile(resource.get(), block.data(), wanted, &read);
            if (failed) {
                // A stalled server is no end of the body, even when no length
                // was given to tell the bytes missing.
                const DWORD error = ::GetLastError();
                if (error == ERROR_INTERNET_TIMEOUT) {
                    ThrowSystemError(L"Failed to read data: %d - %s", error);
                }
                break;
            }
            if (read == 0) {
                break;
            }
            file.Write(block.data(), read);
            progress.Add(read);
        }
        file.Close();
        if (lengthKnown) {
            uint64_t fileLength = 0;
            DWORD error = 0;
            if (!ReadFileLength(path, fileLength, error)) {
                ThrowSystemError(L"Failed to open downloaded file: %d - %s", error);
            }
            CheckComplete(length, fileLength);
        }
        downloadedPath = path;
        progress.Finish();
        result.first = true;
    } catch (const std::exception& error) {
        result.second = L" [WININET] " + TransferErrorText(error);
    }
    return result;
}
