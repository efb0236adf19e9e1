#include "checks/ReportCheckFailure.h"

#include <nlohmann/json.hpp>

#include "api/Package.h"

void ReportCheckFailure(const std::shared_ptr<Package>& package, const std::string& verdict) {
    try {
        package->SendEvent(2, nlohmann::json{{"13", verdict}});
    } catch (const std::exception&) {
        // Analytics never change the outcome of a check.
    }
}
