#include "pages/ConfigurationResponse.h"

#include "api/ApiManager.h"
#include "api/Package.h"
#include "checks/PackageChecker.h"
#include "config/ConfigurationManager.h"

namespace {

using nlohmann::json;

// A member that may be absent; present, it must be a string (the library's
// type error otherwise).
std::string OptionalText(const json& object, const char* key) {
    auto found = object.find(key);
    return found == object.end() ? std::string() : found->get<std::string>();
}

}  // namespace

std::vector<std::shared_ptr<Package>> ReadConfigurationResponse(const json& root, bool& unusable) {
    auto config = ConfigurationManager::GetInstance();

    if (root.is_object() && root.contains("l")) {
        config->countryCode = root["l"].get<std::string>();
    }
    if (config->wizardType == ConfigurationManager::kWizardDlm) {
        const json& product = root.at("i");
        config->productTitle = CString(product.at("ct").get<std::string>());
        config->cu = CString(product.at("cu").get<std::string>());
        if (config->productTitle.IsEmpty() || config->cu.IsEmpty()) {
            unusable = true;
            return {};
        }
        config->cl = CString(OptionalText(product, "cl"));
        config->cf = product.contains("cf") ? CString(product["cf"].get<std::string>())
                                            : config->productTitle + L".exe";
        config->cp = CString(OptionalText(product, "cp"));
        config->ctu = CString(OptionalText(product, "ctu"));
        config->ch = CString(OptionalText(product, "ch"));
        config->cfl = CString(OptionalText(product, "cfl"));
        config->cb = OptionalText(product, "cb");
    }
    if (root.is_object()) {
        auto f = root.find("f");
        if (f != root.end() && f->is_object() && f->contains("a")) {
            config->publisherId = (*f)["a"].get<std::string>();
        }
    }

    std::vector<std::shared_ptr<Package>> eligible;
    if (root.is_object() && root.contains("o") && config->ch != L"00xA") {
        config->maxOffers = root.at("f").at("m").get<int32_t>();
        PackageChecker checker(config->maxOffers);
        for (const json& element : root["o"]) {
            auto package = std::make_shared<Package>(
                ApiManager::GetInstance()->CreateSignedRequest(), element, false, std::string(),
                static_cast<int32_t>(eligible.size()));
            bool limitReached = false;
            if (checker.Check(package, limitReached)) {
                eligible.push_back(package);
                if (package->exc) {
                    break;
                }
            } else if (limitReached) {
                break;
            }
        }
    }
    return eligible;
}
