#include "checks/PackageChecker.h"

#include "api/Package.h"
#include "checks/ReportCheckFailure.h"
#include "checks/Verdicts.h"

PackageChecker::PackageChecker(int32_t maxOffers) : maxOffers(maxOffers) {}

bool PackageChecker::Check(const std::shared_ptr<Package>& package, bool& limitReached) {
    // The rules between offers come first: they cost nothing.
    if (acceptedCount >= maxOffers) {
        limitReached = true;
        return false;
    }
    const int32_t vertical = package->v;
    if (acceptedVerticals.count(vertical) != 0) {
        ReportCheckFailure(
            package, vertical == -1 ? verdict::kMultipleWithoutVertical : verdict::kSameVertical);
        return false;
    }
    if (package->exc && acceptedCount != 0) {
        ReportCheckFailure(package, verdict::kExclusive);
        return false;
    }

    // The machine checks, in the order the services expect their verdicts.
    if (CheckRegistryRules(package) || CheckDiskSpace(package) || CheckMemory(package) ||
        CheckProcessor(package) || CheckOsVersion(package) || CheckPlatformVersion(package) ||
        CheckArchitecture(package) || CheckFiles(package) || CheckRunningApplications(package) ||
        CheckRegisteredApplications(package) || CheckMinDaysUninstall(package) ||
        CheckChrome(package) || CheckInternetExplorer(package)) {
        return false;
    }

    ++acceptedCount;
    acceptedVerticals.insert(vertical);
    return true;
}
