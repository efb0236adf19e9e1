#include "api/ConfigurationText.h"

#include "api/TallwickException.h"

namespace {

std::string RemoveWhitespace(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char ch : text) {
        if (ch != ' ' && ch != '\t' && ch != '\n' && ch != '\v' && ch != '\f' && ch != '\r') {
            result += ch;
        }
    }
    return result;
}

}  // namespace

std::unique_ptr<nlohmann::json> ParseConfigurationText(const std::string& response) {
    const std::string compact = RemoveWhitespace(response);
    if (compact.empty()) {
        throw TallwickException();
    }
    auto document = std::make_unique<nlohmann::json>(nlohmann::json::parse(compact));
    if (document->is_discarded()) {
        throw TallwickException();
    }
    return document;
}
