// Key existence and value reads for the registry rules, with the run's cache
// of the sub-keys directly below each software root.
#include <string_view>
#include <vector>

#include "checks/PackageChecker.h"
#include "win32/RegistryError.h"
#include "win32/RegistryKey.h"
#include "win32/RegistryPaths.h"
#include "win32/RegistryValues.h"

namespace {

// The root key and the software key name that each of SoftwarePrefixes
// stands for, worked out once: KeyExists runs for every candidate path.
struct PrefixParts {
    HKEY root;
    std::wstring softwareName;
};

const PrefixParts& PartsOf(const std::wstring* prefix) {
    static const std::vector<PrefixParts> table = [] {
        std::vector<PrefixParts> parts;
        for (const std::wstring& text : win32::SoftwarePrefixes) {
            const size_t rootLength = text.find(L'\\');
            parts.push_back({win32::RootKeys.at(text.substr(0, rootLength)),
                             text.substr(rootLength + 1, text.size() - rootLength - 2)});
        }
        return parts;
    }();
    return table[static_cast<size_t>(prefix - win32::SoftwarePrefixes.data())];
}

}  // namespace

bool PackageChecker::KeyExists(const CString& path) {
    const std::wstring* prefix = win32::SoftwarePrefixOf(path.str());
    if (!prefix) {
        const auto parts = win32::SplitAtFirstSeparator(path);
        const HKEY root = win32::RootKeys.at(parts.first.str());
        win32::UniqueRegKey key;
        return win32::TryOpenRegistryKey(root, parts.second, KEY_READ, key) == ERROR_SUCCESS;
    }

    CString rewritten = path;
    REGSAM view = 0;
    if (win32::SelectRegistryView(rewritten, view)) {
        return false;
    }
    // The prefix is the root and the software key; the cache is keyed by them
    // as the path gives them, and the rewritten path starts with the same prefix.
    const HKEY root = PartsOf(prefix).root;
    const std::wstring& softwareName = PartsOf(prefix).softwareName;

    SoftwareKey& software = subkeyCache[root][view][softwareName];
    if (software.subkeys.empty()) {
        try {
            if (!software.key) {
                software.key = win32::OpenRegistryKey(root, CString(softwareName), KEY_READ | view);
            }
            for (const CString& name : win32::EnumerateSubkeys(software.key.get())) {
                software.subkeys.insert(name.str());
            }
        } catch (const win32::RegistryError&) {
            return false;
        }
    }

    // Most rules name products that are not installed: an absent first
    // component answers without opening anything.
    const std::wstring_view below = std::wstring_view(rewritten.str()).substr(prefix->size());
    if (software.subkeys.count(below.substr(0, below.find(L'\\'))) == 0) {
        return false;
    }
    // Failed opens are the common answer here; they are not worth an exception.
    win32::UniqueRegKey key;
    const CString subKey(below.data(), static_cast<int>(below.size()));
    return win32::TryOpenRegistryKey(software.key.get(), subKey, KEY_READ | view, key) ==
           ERROR_SUCCESS;
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
