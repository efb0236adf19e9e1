#include "api/HttpPost.h"

#include <windows.h>
#include <winhttp.h>
#include <versionhelpers.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "api/NetworkTimeouts.h"
#include "api/SecureProtocols.h"
#include "api/TallwickException.h"
#include "win32/WinHttpHandle.h"

#ifndef WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY
#define WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY 4
#endif

namespace {

// No configuration comes near this size: a larger body is refused as a failed
// request instead of growing the process's memory without end.
const size_t kMaxResponseBytes = 16u * 1024u * 1024u;

// Version tests compare major, minor and service-pack major, each with
// greater-or-equal, as VerifyVersionInfoW does.
bool IsAtLeast(WORD major, WORD minor, WORD servicePack) {
    return IsWindowsVersionOrGreater(major, minor, servicePack);
}

// Diagnostics go to standard output; a windowed build shows nothing.
void Diagnostic(const wchar_t* format, unsigned long value) {
    std::fwprintf(stdout, format, value);
    std::fputwc(L'\n', stdout);
    std::fflush(stdout);
}

}  // namespace

bool PostJson(const CString& url, const std::string& body, HeaderList headers,
              std::string& response, uint32_t& status, const std::function<bool()>& abandon) {
    const ULONGLONG started = ::GetTickCount64();
    // Windows 7 without a service pack lacks the TLS versions the services need.
    if (IsAtLeast(6, 1, 0) && !IsAtLeast(6, 1, 1)) {
        throw TallwickException();
    }

    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(url, 0, 0, &parts)) {
        throw TallwickException();
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    // The query (extra information) is deliberately not sent.
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);

    bool sent = false;
    bool refused = false;
    {
        const DWORD accessType = IsAtLeast(6, 1, 0) && !IsAtLeast(6, 2, 0)
                                     ? WINHTTP_ACCESS_TYPE_DEFAULT_PROXY
                                     : WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY;
        // Declared in this order so that they close as request, connection, session.
        win32::UniqueWinHttpHandle session(
            ::WinHttpOpen(nullptr, accessType, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        win32::UniqueWinHttpHandle connection;
        win32::UniqueWinHttpHandle request;
        if (session) {
            DWORD protocols = WinHttpSecureProtocols();
            if (!::WinHttpSetOption(session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                                    sizeof(protocols))) {
                session.reset();
            }
        }
        if (session && !::WinHttpSetTimeouts(session.get(), kResolveTimeoutMs, kConnectTimeoutMs,
                                             kSendTimeoutMs, kRequestReceiveTimeoutMs)) {
            session.reset();
        }
        if (session) {
            connection.reset(
                ::WinHttpConnect(session.get(), host.c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
        }
        if (connection) {
            request.reset(::WinHttpOpenRequest(connection.get(), L"POST", path.c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               WINHTTP_FLAG_SECURE));
        }
        if (request) {
            // Waiting for the response's headers has its own limit, which
            // WinHttpSetTimeouts does not set (90 seconds by default).
            DWORD responseTimeout = kRequestReceiveTimeoutMs;
            ::WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT,
                               &responseTimeout, sizeof(responseTimeout));
            headers.emplace_back(L"Expect", L"100-continue");
            headers.emplace_back(L"Content-Type", L"application/json");
            for (const auto& header : headers) {
                const std::wstring line = header.first + L": " + header.second;
                if (!::WinHttpAddRequestHeaders(request.get(), line.c_str(),
                                                static_cast<DWORD>(line.size()),
                                                WINHTTP_ADDREQ_FLAG_ADD)) {
                    Diagnostic(L"WinHttpAddRequestHeaders error: %d", ::GetLastError());
                }
            }
            // The body ends at its first NUL byte, as a C string would.
            const DWORD length = static_cast<DWORD>(std::strlen(body.c_str()));
            sent = ::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                        const_cast<char*>(body.c_str()), length, length, 0) &&
                   ::WinHttpReceiveResponse(request.get(), nullptr);
        }
        if (sent) {
            DWORD code = 0;
            DWORD size = sizeof(code);
            if (::WinHttpQueryHeaders(
                    request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                    WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX)) {
                status = code;
            } else {
                // Callers treat anything outside 200-399 as failed.
                status = 0;
            }
            size_t received = 0;
            for (;;) {
                // A body that drips or never ends would hold this thread (and
                // a closing wizard waiting for it) for ever.
                if (::GetTickCount64() - started > kRequestBodyDeadlineMs ||
                    (abandon && abandon())) {
                    refused = true;
                    break;
                }
                DWORD available = 0;
                if (!::WinHttpQueryDataAvailable(request.get(), &available)) {
                    Diagnostic(L"Error %u in WinHttpQueryDataAvailable.", ::GetLastError());
                    break;
                }
                if (available == 0) {
                    break;
                }
                if (available > kMaxResponseBytes - received) {
                    refused = true;
                    break;
                }
                std::vector<char> buffer;
                try {
                    buffer.assign(static_cast<size_t>(available) + 1, '\0');
                } catch (const std::bad_alloc&) {
                    Diagnostic(L"Out of memory", 0);
                    break;
                }
                DWORD read = 0;
                if (!::WinHttpReadData(request.get(), buffer.data(), available, &read)) {
                    // A failed read would fail again on the same connection:
                    // keep what arrived and stop rather than spin.
                    Diagnostic(L"Error %u in WinHttpReadData.", ::GetLastError());
                    break;
                }
                // Exactly the bytes read: a NUL inside the body must not cut
                // the rest of this block away.
                response.append(buffer.data(), read);
                received += read;
            }
        }
    }
    if (!sent || refused) {
        throw TallwickException();
    }
    return true;
}
