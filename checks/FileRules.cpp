// Files and folders that must be absent (fe) or of which one must exist (ife).
#include <windows.h>
#include <shlwapi.h>

#include "api/Package.h"
#include "checks/PackageChecker.h"
#include "checks/ReportCheckFailure.h"
#include "checks/Verdicts.h"

bool PackageChecker::AnyFileExists(const std::vector<CString>& paths) {
    // The paths are used as parsed: a macro that did not expand names nothing.
    for (const CString& path : paths) {
        if (::PathFileExistsW(path)) {
            return true;
        }
    }
    return false;
}

bool PackageChecker::CheckFiles(const std::shared_ptr<Package>& package) {
    if (!package->fe.empty() && AnyFileExists(package->fe)) {
        ReportCheckFailure(package, verdict::kFileExists);
        return true;
    }
    if (!package->ife.empty() && !AnyFileExists(package->ife)) {
        ReportCheckFailure(package, verdict::kNoFileExists);
        return true;
    }
    return false;
}
