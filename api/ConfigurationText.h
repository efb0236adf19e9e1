#pragma once

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

// Reads the text of a configuration response: every whitespace character goes
// (also inside string values; only an escaped space survives), then the rest
// is parsed strictly as one JSON document. Throws TallwickException when
// nothing is left, the JSON library's parse error when it is not JSON.
std::unique_ptr<nlohmann::json> ParseConfigurationText(const std::string& response);
