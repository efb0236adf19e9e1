#pragma once

#include <nlohmann/json.hpp>

#include <memory>

#include "api/SignedRequest.h"

// The service client's entry points: the signed identification block and the
// configuration request. Process-wide, stateless.
class ApiManager {
public:
    static std::shared_ptr<ApiManager> GetInstance();

    // A fresh identification block from the configuration manager's values,
    // with its "Authorization" signature header.
    SignedRequest CreateSignedRequest();

    // Posts the configuration request and returns the parsed response. Throws
    // TallwickException when there is no configuration address, when the
    // transport fails, when no attempt got a 2xx/3xx status, or when the
    // response is empty; the JSON library's parse error when it is not JSON.
    // Blocking: call it on a worker thread.
    std::unique_ptr<nlohmann::json> RequestConfiguration();
};
