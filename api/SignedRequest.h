#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

// Request headers in the order they are sent; a name may occur more than once.
using HeaderList = std::vector<std::pair<std::wstring, std::wstring>>;

// The numbered identification block of this installation and the header that
// signs it. A plain value: every package keeps its own copy.
struct SignedRequest {
    nlohmann::json body = nlohmann::json::object();
    HeaderList headers;
};
