// Key existence and value reads for the registry rules, with the run's cache
// of the sub-keys directly below each software root.
#include <algorithm>

#include "checks/PackageChecker.h"
#include "win32/RegistryError.h"
#include "win32/RegistryKey.h"
#include "win32/RegistryPaths.h"
#include "win32/RegistryValues.h"

namespace {

bool StartsWithSoftwarePrefix(const std::wstring& path) {
    return std::any_of(win32::SoftwarePrefixes.begin(), win32::SoftwarePrefixes.end(),
                       [&path](const std::wstring& prefix) {
                           return path.compare(0, prefix.size(), prefix) == 0;
                       });
}

// The text after the second backslash: the path below root\software.
std::wstring BelowSoftwareKey(const std::wstring& path) {
    const size_t first = path.find(L'\\');
    const size_t second = first == std::wstring::npos ? first : path.find(L'\\', first + 1);
    return second == std::wstring::npos ? std::wstring() : path.substr(second + 1);
}

}  // namespace

bool PackageChecker::KeyExists(const CString& path) {
    if (!StartsWithSoftwarePrefix(path.str())) {
        const auto parts = win32::SplitAtFirstSeparator(path);
        const HKEY root = win32::RootKeys.at(parts.first.str());
        try {
            const win32::UniqueRegKey key = win32::OpenRegistryKey(root, parts.second, KEY_READ);
            return true;
        } catch (const win32::RegistryError&) {
            return false;
        }
    }

    CString rewritten = path;
    REGSAM view = 0;
    if (win32::SelectRegistryView(rewritten, view)) {
        return false;
    }
    // The cache is keyed by the path as given; SelectRegistryView has already
    // refused paths without a component below the software key.
    const std::vector<std::wstring> components = win32::SplitPathComponents(path.str());
    const HKEY root = win32::RootKeys.at(components[0]);
    const std::wstring& softwareName = components[1];

    std::set<std::wstring>& subkeys = subkeyCache[root][view][softwareName];
    if (subkeys.empty()) {
        try {
            win32::UniqueRegKey software =
                win32::OpenRegistryKey(root, CString(softwareName), KEY_READ | view);
            for (const CString& name : win32::EnumerateSubkeys(software.get())) {
                subkeys.insert(name.str());
            }
        } catch (const win32::RegistryError&) {
            return false;
        }
    }

    // Most rules name products that are not installed: an absent first
    // component answers without opening anything.
    const std::wstring below = BelowSoftwareKey(rewritten.str());
    const std::wstring first = below.substr(0, below.find(L'\\'));
    if (subkeys.count(first) == 0) {
        return false;
    }
    try {
        win32::UniqueRegKey software =
            win32::OpenRegistryKey(root, CString(softwareName), KEY_READ | view);
        const win32::UniqueRegKey key =
            win32::OpenRegistryKey(software.get(), CString(below), KEY_READ | view);
        return true;
    } catch (const win32::RegistryError&) {
        return false;
    }
}

bool PackageChecker::ReadValueAsString(const CString& root, const CString& subKey,
                                       const CString& valueName, CString& output) {
    std::vector<CString> candidates{root + L"\\" + subKey};
    if (win32::IsSystem64() && subKey.str().compare(0, 8, L"software") == 0) {
        candidates.push_back(root + L"\\" + subKey.Left(8) + L"\\wow6432node" + subKey.Mid(8));
    }

    for (CString& candidate : candidates) {
        if (!KeyExists(candidate)) {
            continue;
        }
        REGSAM access = KEY_READ;
        if (win32::SelectRegistryView(candidate, access)) {
            continue;
        }
        const auto parts = win32::SplitAtFirstSeparator(candidate);
        const HKEY rootKey = win32::RootKeys.at(parts.first.str());
        try {
            win32::UniqueRegKey key = win32::OpenRegistryKey(rootKey, parts.second, access);
            if (!win32::ValueExists(key.get(), valueName)) {
                continue;
            }
            switch (win32::GetValueType(key.get(), valueName)) {
                case REG_SZ:
                    output = win32::ReadStringValue(key.get(), CString(), valueName);
                    return true;
                case REG_DWORD:
                    output = CString(std::to_wstring(win32::ReadDwordValue(key.get(), valueName)));
                    return true;
                case REG_QWORD:
                    output = CString(std::to_wstring(win32::ReadQwordValue(key.get(), valueName)));
                    return true;
                default:
                    break;
            }
        } catch (const win32::RegistryError&) {
            // An unreadable candidate counts as one without the value.
        }
    }
    return false;
}
