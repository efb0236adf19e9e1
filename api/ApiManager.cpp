#include "api/ApiManager.h"

#include <windows.h>

#include <cstdio>
#include <mutex>

#include "api/ConfigurationText.h"
#include "api/DownloadToken.h"
#include "api/Encoding.h"
#include "api/HttpPost.h"
#include "api/OsVersion.h"
#include "api/Sha256.h"
#include "api/TallwickException.h"
#include "config/ConfigurationManager.h"
#include "framework/Sleep.h"
#include "win32/ProcessArchitecture.h"

namespace {

std::once_flag instanceOnce;
std::shared_ptr<ApiManager> instance;

const int kConfigurationAttempts = 3;
const unsigned kRetryPauseMs = 5000;

bool IsSuccessStatus(uint32_t status) {
    return status >= 200 && status <= 399;
}

// Two-letter language code of a locale name such as en_US; A-Z lower-cased.
CString LanguageCode(const CString& localeName) {
    CString code = localeName.GetLength() > 2 ? localeName.Left(2) : localeName;
    std::wstring text = code.str();
    for (wchar_t& ch : text) {
        if (ch >= L'A' && ch <= L'Z') {
            ch = static_cast<wchar_t>(ch - L'A' + L'a');
        }
    }
    return CString(text);
}

}  // namespace

std::shared_ptr<ApiManager> ApiManager::GetInstance() {
    std::call_once(instanceOnce, [] { instance = std::make_shared<ApiManager>(); });
    return instance;
}

SignedRequest ApiManager::CreateSignedRequest() {
    auto config = ConfigurationManager::GetInstance();
    const std::string machineId = config->GetMachineId();
    const std::string timestamp = config->GetRequestTimestamp();

    SignedRequest request;
    const std::wstring signature = Utf8ToWide(Sha256Hex(machineId + timestamp));
    request.headers.emplace_back(L"Authorization", L"Signature=" + signature);

    nlohmann::json& body = request.body;
    for (int key = 0; key <= 22; ++key) {
        body[std::to_string(key)] = "";
    }
    body["1"] = machineId;
    body["2"] = timestamp;
    body["3"] = WideToNarrow(config->makerName, CP_ACP);
    body["4"] = WideToNarrow(config->installerId, CP_ACP);
    body["7"] = WideToNarrow(config->programVersion, CP_ACP);
    body["15"] = 0;
    body["19"] = WideToNarrow(config->cfl, CP_ACP);
    body["21"] = WideToNarrow(config->ch, CP_THREAD_ACP);
    body["22"] = WideToNarrow(config->productTitle, CP_THREAD_ACP);
    body["31"] = GetOsVersionString();
    body["38"] = win32::IsWow64() ? "1" : "0";
    return request;
}

std::unique_ptr<nlohmann::json> ApiManager::RequestConfiguration() {
    auto config = ConfigurationManager::GetInstance();
    if (config->configUrl.IsEmpty()) {
        throw TallwickException();
    }

    nlohmann::json request = nlohmann::json::object();
    request["prv"] = "0.1";
    request["plv"] = WideToNarrow(config->programVersion, CP_THREAD_ACP);
    request["l"] = WideToNarrow(LanguageCode(config->localeName), CP_THREAD_ACP);
    request["a"] = WideToNarrow(config->makerName, CP_THREAD_ACP);
    request["i"] = WideToNarrow(config->installerId, CP_THREAD_ACP);
    request["s"] = WideToNarrow(config->installerKind, CP_THREAD_ACP);
    request["u"] = WideToNarrow(GetDownloadToken(), CP_ACP);
    request["o"] = GetOsVersionString();

    std::string response;
    bool succeeded = false;
    // A closing wizard needs no configuration: the body being read is given
    // up and no further attempt starts, so the loading worker ends at once.
    const auto closing = [config] { return config->closing.load(); };
    for (int attempt = 0; attempt < kConfigurationAttempts && !succeeded && !closing(); ++attempt) {
        const std::string text =
            request.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
        response.clear();
        uint32_t status = 0;
        // A transport failure throws out of here at once: no further attempts.
        succeeded = PostJson(config->configUrl, text, HeaderList(), response, status, closing) &&
                    IsSuccessStatus(status);
        if (!succeeded) {
            std::printf("Failed to send config request. %d %d\n", static_cast<int>(status),
                        static_cast<int>(::GetLastError()));
            std::fflush(stdout);
            if (!closing()) {
                SleepFor(kRetryPauseMs);
            }
        }
    }
    // The body of an error status is the service's complaint, not a
    // configuration: taking it as one would report a failure as success.
    if (!succeeded) {
        throw TallwickException();
    }

    return ParseConfigurationText(response);
}
