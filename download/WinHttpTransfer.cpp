// The two WinHTTP transfers of the download manager: a file with progress and
// a resource into memory. winhttp.h cannot share a translation unit with
// wininet.h, so the WinINet transfer lives apart.
#include <windows.h>
#include <winhttp.h>
#include <versionhelpers.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/NetworkTimeouts.h"
#include "api/SecureProtocols.h"
#include "download/DownloadManager.h"
#include "download/TargetFile.h"
#include "download/TransferError.h"
#include "download/TransferProgress.h"
#include "win32/WinHttpHandle.h"

#ifndef WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY
#define WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY 4
#endif

namespace {

// The sixth redirect in a row fails the transfer.
const int kRedirectLimit = 5;
const int kFetchAttempts = 2;
const wchar_t kFetchUserAgent[] = L"A WinHTTP Example Program/1.0";
// A file download gathers the blocks WinHTTP hands over into writes of
// kWriteBuffer bytes; a fetch into memory reads kFetchBlock bytes at most at
// a time. bench/run shows the throughput.
const DWORD kWriteBuffer = 1024 * 1024;
const DWORD kFetchBlock = 64 * 1024;

struct SessionOptions {
    const wchar_t* userAgent;
    DWORD accessType;
    DWORD requestFlags;  // added to WINHTTP_FLAG_SECURE for https
};

// One GET over WinHTTP: sends the request, follows redirects (each with a new
// session, connection and request), and leaves a response with a 2xx status
// open for reading. Every failure throws the engine's runtime error.
class WinHttpGet {
public:
    WinHttpGet(const std::atomic<bool>& cancelled, CString url, const SessionOptions& options);

    // The Content-Length as a number; false when the response has none.
    bool ContentLength(DWORD& length) const;

    // Reads what the response holds now, size bytes at most, into buffer and
    // returns the count; 0 at the end of the body. Checks the cancel flag
    // first. Never asks for more than is available, so that a slow body
    // still reaches the cancel check and the progress bar block by block.
    DWORD ReadBlock(char* buffer, DWORD size);

private:
    void Open(const CString& url, const SessionOptions& options);
    DWORD StatusCode() const;
    CString Location() const;

    const std::atomic<bool>& cancelled;
    // Declared in this order so that they close as request, connection, session.
    win32::UniqueWinHttpHandle session;
    win32::UniqueWinHttpHandle connection;
    win32::UniqueWinHttpHandle request;
};

WinHttpGet::WinHttpGet(const std::atomic<bool>& cancelled, CString url,
                       const SessionOptions& options)
    : cancelled(cancelled) {
    int redirects = 0;
    for (;;) {
        Open(url, options);
        const DWORD status = StatusCode();
        if (status >= 300 && status <= 399) {
            if (++redirects > kRedirectLimit) {
                ThrowTransferError(L"Too many redirects.");
            }
            url = Location();
            continue;
        }
        if (status < 200 || status > 299) {
            CString text;
            text.Format(L"Download failed: Server returned status code: %d",
                        static_cast<int>(status));
            ThrowTransferError(text);
        }
        return;
    }
}

void WinHttpGet::Open(const CString& url, const SessionOptions& options) {
    request.reset();
    connection.reset();
    session.reset(::WinHttpOpen(options.userAgent, options.accessType, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        ThrowSystemError(L"Failed to open HTTP session: %d - %s", ::GetLastError());
    }
    DWORD protocols = WinHttpSecureProtocols();
    if (!::WinHttpSetOption(session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                            sizeof(protocols))) {
        ThrowSystemError(L"Failed to set secure protocols: %d - %s", ::GetLastError());
    }
    // A receive that makes no progress for this long fails with
    // ERROR_WINHTTP_TIMEOUT, whose system text the failure then carries.
    if (!::WinHttpSetTimeouts(session.get(), kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs,
                              kDownloadReceiveTimeoutMs)) {
        ThrowSystemError(L"Failed to set time-outs: %d - %s", ::GetLastError());
    }

    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    // Only http and https split: a redirect to another scheme ends here.
    if (!::WinHttpCrackUrl(url, static_cast<DWORD>(url.GetLength()), 0, &parts)) {
        ThrowSystemError(L"Failed to parse URL: %d - %s", ::GetLastError());
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    // The path runs to the end of the address, query included.
    const wchar_t* path = parts.lpszUrlPath;
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    connection.reset(::WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) {
        ThrowSystemError(L"Failed to connect: %d - %s", ::GetLastError());
    }
    request.reset(::WinHttpOpenRequest(connection.get(), L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES,
                                       options.requestFlags | (secure ? WINHTTP_FLAG_SECURE : 0)));
    if (!request) {
        ThrowSystemError(L"Failed to open request: %d - %s", ::GetLastError());
    }
    // WinHTTP would follow redirects on its own (and up to its own limit);
    // this loop follows them instead, so that it can count them and give each
    // its own session.
    // Waiting for the response's headers has its own limit, which
    // WinHttpSetTimeouts does not set (90 seconds by default).
    DWORD responseTimeout = kDownloadReceiveTimeoutMs;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                       sizeof(responseTimeout));
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (!::WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy,
                            sizeof(policy))) {
        ThrowSystemError(L"Failed to open request: %d - %s", ::GetLastError());
    }
    if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                              WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
        ThrowSystemError(L"Failed to send request: %d - %s", ::GetLastError());
    }
    if (!::WinHttpReceiveResponse(request.get(), nullptr)) {
        ThrowSystemError(L"Failed to receive response: %d - %s", ::GetLastError());
    }
}

DWORD WinHttpGet::StatusCode() const {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        return 0;
    }
    return status;
}

// The whole Location header, however long: its size is asked first. A
// redirect without one leaves an empty address, which fails to split.
CString WinHttpGet::Location() const {
    DWORD size = 0;
    ::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX,
                          WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) {
        return CString();
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX,
                               buffer.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
        return CString();
    }
    return CString(buffer.data(), static_cast<int>(size / sizeof(wchar_t)));
}

bool WinHttpGet::ContentLength(DWORD& length) const {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!::WinHttpQueryHeaders(
            request.get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
            WINHTTP_HEADER_NAME_BY_INDEX, &value, &size, WINHTTP_NO_HEADER_INDEX)) {
        return false;
    }
    length = value;
    return true;
}

DWORD WinHttpGet::ReadBlock(char* buffer, DWORD size) {
    if (cancelled) {
        ThrowTransferError(L"Download cancelled.");
    }
    DWORD available = 0;
    if (!::WinHttpQueryDataAvailable(request.get(), &available)) {
        ThrowSystemError(L"Failed to query data: %d - %s", ::GetLastError());
    }
    if (available == 0) {
        return 0;
    }
    DWORD read = 0;
    if (!::WinHttpReadData(request.get(), buffer, std::min(available, size), &read)) {
        ThrowSystemError(L"Failed to read data: %d - %s", ::GetLastError());
    }
    return read;
}

DWORD FileAccessType() {
    return IsWindowsVersionOrGreater(6, 2, 0) ? WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY
                                              : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
}

}  // namespace

DownloadManager::Result DownloadManager::DownloadWithWinHttp(const CString& url, HWND window,
                                                             const CString& fileName,
                                                             bool useWorkFolder) {
    Result result(false, CString());
    try {
        const CString path = PrepareTarget(url, fileName, useWorkFolder);
        TargetFile file(path);
        WinHttpGet get(cancelled, url, {nullptr, FileAccessType(), 0});
        DWORD length = 0;
        const bool lengthKnown = get.ContentLength(length);
        if (!lengthKnown) {
            PostLengthUnknown(window);
        }
        if (!file.IsOpen()) {
            ThrowSystemError(L"Failed to open file for writing: %d - %s", file.OpenError());
        }
        TransferProgress progress(window, lengthKnown ? length : 0);
        // Blocks are read into one buffer and reach the file when it is full:
        // a block is what WinHTTP holds at that moment, often a single TLS
        // record, and a write per block would cost a system call per record.
        std::vector<char> buffer(kWriteBuffer);
        DWORD filled = 0;
        while (const DWORD read = get.ReadBlock(buffer.data() + filled, kWriteBuffer - filled)) {
            filled += read;
            if (filled == kWriteBuffer) {
                file.Write(buffer.data(), filled);
                filled = 0;
            }
            progress.Add(read);
        }
        if (filled != 0) {
            file.Write(buffer.data(), filled);
        }
        file.Close();
        if (lengthKnown) {
            uint64_t fileLength = 0;
            DWORD error = 0;
            if (!ReadFileLength(path, fileLength, error)) {
                ThrowTransferError(L"Failed to open downloaded file.");
            }
            CheckComplete(length, fileLength);
        }
        downloadedPath = path;
        progress.Finish();
        result.first = true;
    } catch (const std::exception& error) {
        result.second = L"[WINHTTP] " + TransferErrorText(error);
    }
    return result;
}

std::unique_ptr<std::vector<char>> DownloadManager::FetchToMemory(const CString& url) {
    auto data = std::make_unique<std::vector<char>>();
    for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
        try {
            data->clear();
            WinHttpGet get(
                cancelled, url,
                {kFetchUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_FLAG_REFRESH});
            std::vector<char> block(kFetchBlock);
            while (const DWORD read = get.ReadBlock(block.data(), kFetchBlock)) {
                data->insert(data->end(), block.data(), block.data() + read);
            }
            return data;
        } catch (const std::exception&) {
            // The text is not kept: a failed fetch is an empty result.
            data->clear();
        }
    }
    return data;
}
