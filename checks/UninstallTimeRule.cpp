// The minimum time since an earlier uninstallation, recorded by the offer's
// product in the registry as seconds or milliseconds since 1970.
#include <cstdint>
#include <limits>

#include "api/Package.h"
#include "checks/LowerCase.h"
#include "checks/NumberText.h"
#include "checks/PackageChecker.h"
#include "checks/ReportCheckFailure.h"
#include "checks/Verdicts.h"
#include "framework/Clock.h"

namespace {

// Whether now comes before recorded + days, computed without wrapping: a
// waiting time beyond 68 years or a recorded time near the end of the 64-bit
// range must not turn "wait" into "go", nor a negative number of days turn
// "go" into "wait".
bool IsTooRecent(uint64_t now, uint64_t recorded, int32_t days) {
    const int64_t seconds = static_cast<int64_t>(days) * 86400;
    if (seconds >= 0) {
        const uint64_t wait = static_cast<uint64_t>(seconds);
        if (recorded > std::numeric_limits<uint64_t>::max() - wait) {
            return true;
        }
        return now < recorded + wait;
    }
    const uint64_t earlier = static_cast<uint64_t>(-seconds);
    return recorded > earlier && now < recorded - earlier;
}

}  // namespace

bool PackageChecker::CheckMinDaysUninstall(const std::shared_ptr<Package>& package) {
    for (const CmduRecord& record : package->cmdu) {
        CString text;
        if (!ReadValueAsString(LowerCase(record.utr), LowerCase(record.utk), LowerCase(record.utvn),
                               text)) {
            continue;
        }
        uint64_t recorded = ParseUnsigned64(text);
        if (record.utms) {
            recorded /= 1000;
        }
        const std::time_t clock = CurrentTime();
        const uint64_t now = clock > 0 ? static_cast<uint64_t>(clock) : 0;
        if (IsTooRecent(now, recorded, record.umd)) {
            ReportCheckFailure(package, verdict::kMinDaysUninstall);
            return true;
        }
    }
    return false;
}
