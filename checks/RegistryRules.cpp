// The registry rules of an offer: keys that must be absent (r) or of which one
// must exist (ir), values that must be absent (rvn) and value data that must
// not match (rvd).
#include "api/Package.h"
#include "checks/LowerCase.h"
#include "checks/PackageChecker.h"
#include "checks/ReportCheckFailure.h"
#include "checks/ValueDataMatches.h"
#include "checks/Verdicts.h"
#include "win32/RegistryKey.h"
#include "win32/RegistryPaths.h"
#include "win32/RegistryValues.h"

namespace {

// Opens the key of a full path in the view the path calls for; an invalid
// owner when the path cannot exist or cannot be opened.
win32::UniqueRegKey OpenCandidateKey(CString path) {
    REGSAM access = KEY_READ;
    if (win32::SelectRegistryView(path, access)) {
        return win32::UniqueRegKey();
    }
    const auto parts = win32::SplitAtFirstSeparator(path);
    const HKEY root = win32::RootKeys.at(parts.first.str());
    win32::UniqueRegKey key;
    (void)win32::TryOpenRegistryKey(root, parts.second, access, key);
    return key;
}

}  // namespace

bool PackageChecker::AnyKeyExists(const std::vector<CString>& paths) {
    for (const CString& entry : paths) {
        const std::vector<CString> candidates = win32::ExpandRegistryPath(LowerCase(entry));
        // An empty entry ends the list: the entries after it are not rules.
        if (candidates.empty()) {
            return false;
        }
        for (const CString& candidate : candidates) {
            if (KeyExists(candidate)) {
                return true;
            }
        }
    }
    return false;
}

bool PackageChecker::CheckRegistryRules(const std::shared_ptr<Package>& package) {
    if (!package->r.empty() && AnyKeyExists(package->r)) {
        ReportCheckFailure(package, verdict::kRegistryKeyExists);
        return true;
    }
    if (!package->ir.empty() && !AnyKeyExists(package->ir)) {
        ReportCheckFailure(package, verdict::kNoRegistryKeyExists);
        return true;
    }
    return CheckRegistryValues(package) || CheckRegistryData(package);
}

bool PackageChecker::CheckRegistryValues(const std::shared_ptr<Package>& package) {
    for (const CString& entry : package->rvn) {
        const std::vector<CString> candidates = win32::ExpandRegistryPath(LowerCase(entry));
        if (candidates.empty()) {
            return false;
        }
        for (const CString& candidate : candidates) {
            const auto keyAndValue = win32::SplitAtLastSeparator(candidate);
            if (!KeyExists(keyAndValue.first)) {
                continue;
            }
            win32::UniqueRegKey key = OpenCandidateKey(keyAndValue.first);
            if (key && ::RegGetValueW(key.get(), nullptr, keyAndValue.second, RRF_RT_ANY, nullptr,
                                      nullptr, nullptr) == ERROR_SUCCESS) {
                ReportCheckFailure(package, verdict::kRegistryValueExists);
                return true;
            }
        }
    }
    return false;
}

bool PackageChecker::CheckRegistryData(const std::shared_ptr<Package>& package) {
    for (const CString& entry : package->rvd) {
        const std::vector<CString> candidates = win32::ExpandRegistryPath(LowerCase(entry));
        for (const CString& candidate : candidates) {
            const auto restAndData = win32::SplitAtLastSeparator(candidate);
            const auto keyAndValue = win32::SplitAtLastSeparator(restAndData.first);
            if (!KeyExists(keyAndValue.first)) {
                continue;
            }
            win32::UniqueRegKey key = OpenCandidateKey(keyAndValue.first);
            if (!key || !win32::ValueExists(key.get(), keyAndValue.second)) {
                continue;
            }
            const DWORD type = win32::GetValueType(key.get(), keyAndValue.second);
            if (type != 0 &&
                ValueDataMatches(type, key.get(), keyAndValue.second, restAndData.second)) {
                ReportCheckFailure(package, verdict::kRegistryDataMatches);
                return true;
            }
        }
    }
    return false;
}
