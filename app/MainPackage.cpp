#include "app/MainPackage.h"

#include <chrono>
#include <vector>

#include "api/ApiManager.h"
#include "api/Package.h"
#include "config/ConfigurationManager.h"

namespace {
constexpr int32_t kStartEvent = 1;
constexpr int32_t kQuitEvent = 5;
// Two attempts and the two pauses after them take about 10 seconds against a
// service that answers; a send still running after this is given up.
constexpr std::chrono::seconds kExitEventsWait{15};
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
    // All events leave together and share one deadline: against a service
    // that answers, each still gets its retry well within it; against one
    // that stalls or drips, the wizard ends anyway and the sends still
    // running are given up (each holds its package, so nobody waits for them).
    const auto deadline = std::chrono::steady_clock::now() + kExitEventsWait;
    for (const auto& package : packages) {
        package->SendEvent(kQuitEvent);
    }
    for (const auto& package : packages) {
        if (!package->WaitForPendingEventsUntil(deadline)) {
            break;
        }
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
