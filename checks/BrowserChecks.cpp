// Offers that depend on Chrome (or Chromium) being installed or absent, and
// on Internet Explorer being version 9 or later.
#include "api/Package.h"
#include "checks/NumberText.h"
#include "checks/PackageChecker.h"
#include "checks/ReportCheckFailure.h"
#include "checks/Verdicts.h"
#include "config/PathMacros.h"

bool PackageChecker::CheckChrome(const std::shared_ptr<Package>& package) {
    if (!package->requiresChrome && !package->excludesChrome) {
        return false;
    }
    std::vector<CString> candidates{
        ExpandPathMacros(L"{commonpf}\\Chromium\\Application\\chrome.exe"),
        ExpandPathMacros(L"{commonpf}\\GoogleChrome\\Application\\chrome.exe"),
        ExpandPathMacros(L"{localappdata}\\Chromium\\Application\\chrome.exe"),
    };
    // The sub-keys start with SOFTWARE in capitals: read in the default view
    // only, with no wow6432node candidate.
    CString folder;
    if (ReadValueAsString(L"hkey_local_machine",
                          L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe",
                          L"Path", folder)) {
        candidates.push_back(folder + L"\\chrome.exe");
    }
    CString beacon;
    if (ReadValueAsString(L"hkey_current_user", L"SOFTWARE\\Google\\Chrome\\BLBeacon", L"Path",
                          beacon)) {
        candidates.push_back(beacon);
    }

    const bool found = AnyFileExists(candidates);
    if (package->requiresChrome && !found) {
        ReportCheckFailure(package, verdict::kNoChrome);
        return true;
    }
    if (package->excludesChrome && found) {
        ReportCheckFailure(package, verdict::kHaveChrome);
        return true;
    }
    return false;
}

bool PackageChecker::CheckInternetExplorer(const std::shared_ptr<Package>& package) {
    if (!package->checksIeVersion) {
        return false;
    }
    CString version;
    if (!ReadValueAsString(L"hkey_local_machine", L"SOFTWARE\\Microsoft\\Internet Explorer",
                           L"Version", version)) {
        return false;
    }
    // 8.0.7601.17514 reads as 8.0; the product is compared in single
    // precision, as the services expect.
    const float tenfold = ParseFloat(version) * 10.0f;
    if (tenfold < 90.0f) {
        ReportCheckFailure(package, verdict::kOldIe);
        return true;
    }
    return false;
}
