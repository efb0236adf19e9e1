// Applications that must be installed (iapp) or must not be (eapp). An
// application counts as installed when App Paths registers it with an
// executable that exists.
#include <windows.h>
#include <shlwapi.h>

#include "api/Package.h"
#include "checks/PackageChecker.h"
#include "checks/ReportCheckFailure.h"
#include "checks/Verdicts.h"
#include "win32/RegistryError.h"
#include "win32/RegistryKey.h"
#include "win32/RegistryPaths.h"
#include "win32/RegistryValues.h"

namespace {

const wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

}  // namespace

void PackageChecker::BuildAppPathIndex() {
    appPathIndex.clear();
    std::vector<REGSAM> views{0};
    if (win32::IsSystem64()) {
        views.push_back(KEY_WOW64_64KEY);
    }
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (REGSAM view : views) {
            try {
                win32::UniqueRegKey key = win32::OpenRegistryKey(root, kAppPaths, KEY_READ | view);
                for (const CString& name : win32::EnumerateSubkeys(key.get())) {
                    AppPathEntry entry;
                    entry.rootKey = root;
                    entry.viewFlags = view;
                    appPathIndex.emplace(name.str(), entry);
                }
            } catch (const win32::RegistryError&) {
                // This root and view register nothing readable.
            }
        }
    }
}

bool PackageChecker::FindRegisteredApplication(const CString& name) {
    if (appPathIndex.empty()) {
        BuildAppPathIndex();
    }
    // The index holds lower-case names and the lookup takes the name as
    // given, so only a lower-case name can be found.
    const auto range = appPathIndex.equal_range(name.str());
    for (auto entry = range.first; entry != range.second; ++entry) {
        AppPathEntry& registration = entry->second;
        if (!registration.resolved) {
            try {
                win32::UniqueRegKey key =
                    win32::OpenRegistryKey(registration.rootKey, CString(kAppPaths) + name,
                                           KEY_READ | registration.viewFlags);
                registration.path = win32::ReadStringValue(key.get(), CString(), CString());
            } catch (const win32::RegistryError&) {
                registration.path.Empty();
            }
            registration.resolved = true;
        }
        if (!registration.path.IsEmpty() && ::PathFileExistsW(registration.path)) {
            return true;
        }
    }
    return false;
}

bool PackageChecker::CheckRegisteredApplications(const std::shared_ptr<Package>& package) {
    for (const CString& name : package->iapp) {
        if (!FindRegisteredApplication(name)) {
            ReportCheckFailure(package, verdict::kIncludeAppNotFound);
            return true;
        }
    }
    for (const CString& name : package->eapp) {
        if (FindRegisteredApplication(name)) {
            ReportCheckFailure(package, verdict::kExcludeAppFound);
            return true;
        }
    }
    return false;
}
