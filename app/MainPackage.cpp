#include "app/MainPackage.h"

#include "api/ApiManager.h"
#include "api/Package.h"
#include "config/ConfigurationManager.h"

namespace {
constexpr int32_t kStartEvent = 1;
constexpr int32_t kQuitEvent = 5;
}  // namespace

std::shared_ptr<Package> CreateMainPackage(const CString& o, const CString& f, const CString& dn,
                                           const CString& c) {
    auto package = std::make_shared<Package>(ApiManager::GetInstance()->CreateSignedRequest(), true,
                                             o, f, dn, c, 0);
    package->SendEvent(kStartEvent);
    return package;
}

void RefreshMainPackage(const std::shared_ptr<Package>& package, const CString& o, const CString& f,
                        const CString& dn, const CString& c) {
    if (package) {
        package->ResetAsMain(ApiManager::GetInstance()->CreateSignedRequest(), o, f, dn, c);
    }
}

void SendExitEventsAndWait() {
    auto config = ConfigurationManager::GetInstance();
    // A copy: the list must not change under the loop, and each package stays
    // alive until its sends are done.
    std::vector<std::shared_ptr<Package>> packages = config->shownOffers;
    if (config->mainPackage) {
        packages.push_back(config->mainPackage);
    }
    for (const auto& package : packages) {
        package->SendEvent(kQuitEvent);
        package->WaitForPendingEvents();
    }
}

void ReleasePackageImages() {
    auto config = ConfigurationManager::GetInstance();
    config->productImage.reset();
    for (const auto& package : config->acceptedOffers) {
        package->image.reset();
    }
    for (const auto& package : config->shownOffers) {
        package->image.reset();
    }
}
