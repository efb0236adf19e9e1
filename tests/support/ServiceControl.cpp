#include "support/ServiceControl.h"

#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "win32/WinHttpHandle.h"

namespace service {
namespace {

const INTERNET_PORT kControlPort = 8780;

}  // namespace

std::pair<unsigned, std::string> Control(const wchar_t* verb, const std::wstring& path,
                                         const std::string& body) {
    using win32::UniqueWinHttpHandle;
    UniqueWinHttpHandle session(::WinHttpOpen(L"tallwick-tests", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                              WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        throw std::runtime_error("control: WinHttpOpen failed");
    }
    UniqueWinHttpHandle connection(::WinHttpConnect(session.get(), L"localhost", kControlPort, 0));
    if (!connection) {
        throw std::runtime_error("control: WinHttpConnect failed");
    }
    UniqueWinHttpHandle request(::WinHttpOpenRequest(connection.get(), verb, path.c_str(), nullptr,
                                                     WINHTTP_NO_REFERER,
                                                     WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (!request) {
        throw std::runtime_error("control: WinHttpOpenRequest failed");
    }
    const DWORD length = static_cast<DWORD>(body.size());
    if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                              length ? const_cast<char*>(body.data()) : nullptr, length, length,
                              0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr)) {
        throw std::runtime_error("control: the reference service does not answer on port 8780 (" +
                                 std::to_string(::GetLastError()) + ")");
    }
    DWORD status = 0;
    DWORD size = sizeof(status);
    ::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    std::string response;
    for (;;) {
        DWORD available = 0;
        if (!::WinHttpQueryDataAvailable(request.get(), &available) || available == 0) {
            break;
        }
        std::string buffer(available, '\0');
        DWORD read = 0;
        if (!::WinHttpReadData(request.get(), &buffer[0], available, &read) || read == 0) {
            break;
        }
        response.append(buffer.data(), read);
    }
    return {status, response};
}

void Reset() {
    auto answer = Control(L"POST", L"/_control/reset");
    ASSERT_EQ(200u, answer.first) << answer.second;
}

void SetScenario(const nlohmann::json& scenario) {
    auto answer = Control(L"POST", L"/_control/scenario", scenario.dump());
    ASSERT_EQ(200u, answer.first) << answer.second;
}

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

std::vector<RecordedRequest> Requests(const std::string& path) {
    std::wstring target = L"/_control/requests";
    if (!path.empty()) {
        target += L"?path=" + std::wstring(path.begin(), path.end());
    }
    auto answer = Control(L"GET", target);
    std::vector<RecordedRequest> requests;
    EXPECT_EQ(200u, answer.first) << answer.second;
    if (answer.first != 200) {
        return requests;
    }
    for (const auto& entry : nlohmann::json::parse(answer.second)) {
        RecordedRequest request;
        request.method = entry.at("method").get<std::string>();
        request.path = entry.at("path").get<std::string>();
        request.target = entry.at("target").get<std::string>();
        request.scheme = entry.value("scheme", "");
        for (const auto& header : entry.at("headers")) {
            request.headers.emplace_back(header.at(0).get<std::string>(),
                                         header.at(1).get<std::string>());
        }
        request.body = FromHex(entry.at("body_hex").get<std::string>());
        requests.push_back(std::move(request));
    }
    return requests;
}

nlohmann::json Events() {
    auto answer = Control(L"GET", L"/_control/events");
    EXPECT_EQ(200u, answer.first) << answer.second;
    return answer.first == 200 ? nlohmann::json::parse(answer.second) : nlohmann::json::array();
}

}  // namespace service

SleepRecorder::SleepRecorder() {
    previous = SetSleepHook([this](unsigned milliseconds) {
        std::lock_guard<std::mutex> guard(lock);
        pauses.push_back(milliseconds);
    });
}

SleepRecorder::~SleepRecorder() {
    SetSleepHook(std::move(previous));
}

std::vector<unsigned> SleepRecorder::Pauses() {
    std::lock_guard<std::mutex> guard(lock);
    return pauses;
}
