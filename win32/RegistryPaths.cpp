#include "win32/RegistryPaths.h"

#include <stdexcept>
#include <string_view>

#include "win32/ProcessArchitecture.h"

namespace win32 {

const std::vector<std::wstring> RootNames = {L"hkey_local_machine", L"hkey_current_user",
                                             L"hkey_classes_root", L"hkey_users",
                                             L"hkey_current_config"};

const std::map<std::wstring, std::wstring> RootAliases = {
    {L"hkcc", L"hkey_current_config"}, {L"hkcr", L"hkey_classes_root"},
    {L"hkcu", L"hkey_current_user"},   {L"hklm", L"hkey_local_machine"},
    {L"hku", L"hkey_users"},
};

const std::map<std::wstring, HKEY> RootKeys = {
    {L"hkey_local_machine", HKEY_LOCAL_MACHINE},   {L"hkey_current_user", HKEY_CURRENT_USER},
    {L"hkey_classes_root", HKEY_CLASSES_ROOT},     {L"hkey_users", HKEY_USERS},
    {L"hkey_current_config", HKEY_CURRENT_CONFIG},
};

const std::vector<std::wstring> SoftwarePrefixes = {L"hkey_local_machine\\software\\",
                                                    L"hkey_current_user\\software\\"};

const std::vector<std::wstring> Wow6432NodePrefixes = {
    L"hkey_local_machine\\software\\wow6432node\\", L"hkey_current_user\\software\\wow6432node\\"};

namespace {

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool StartsWithRoot(const std::wstring& text, const std::wstring& root) {
    return text.size() > root.size() && StartsWith(text, root) && text[root.size()] == L'\\';
}

}  // namespace

bool IsSystem64() {
    static const bool system64 = IsWow64();
    return system64;
}

std::vector<CString> ExpandRegistryPath(const CString& path) {
    const std::wstring& text = path.str();
    if (text.empty()) {
        return {};
    }
    if (StartsWith(text, L"hk")) {
        if (text.compare(2, 2, L"ey") == 0) {
            for (const std::wstring& root : RootNames) {
                if (StartsWithRoot(text, root)) {
                    return {path};
                }
            }
        }
        for (const auto& alias : RootAliases) {
            if (StartsWithRoot(text, alias.first)) {
                return {CString(alias.second + text.substr(alias.first.size()))};
            }
        }
    }
    std::vector<CString> candidates;
    for (const std::wstring& prefix : SoftwarePrefixes) {
        candidates.emplace_back(prefix + text);
    }
    if (IsSystem64()) {
        for (const std::wstring& prefix : Wow6432NodePrefixes) {
            candidates.emplace_back(prefix + text);
        }
    }
    return candidates;
}

std::pair<CString, CString> SplitAtFirstSeparator(const CString& path) {
    const std::wstring& text = path.str();
    const size_t separator = text.find(L'\\');
    if (separator == std::wstring::npos) {
        return {path, path};
    }
    return {CString(text.substr(0, separator)), CString(text.substr(separator + 1))};
}

std::pair<CString, CString> SplitAtLastSeparator(const CString& path) {
    const std::wstring& text = path.str();
    const size_t separator = text.rfind(L'\\');
    if (separator == std::wstring::npos) {
        return {path, path};
    }
    return {CString(text.substr(0, separator)), CString(text.substr(separator + 1))};
}

const std::wstring* SoftwarePrefixOf(const std::wstring& path) {
    for (const std::wstring& prefix : SoftwarePrefixes) {
        if (StartsWith(path, prefix)) {
            return &prefix;
        }
    }
    return nullptr;
}

bool SelectRegistryView(CString& path, REGSAM& view) {
    const std::wstring& text = path.str();
    const std::wstring* prefix = SoftwarePrefixOf(text);
    if (!prefix) {
        return false;
    }
    // The prefix holds the root and the software key: a third component is
    // whatever follows it, up to the next backslash.
    if (text.size() == prefix->size()) {
        throw std::out_of_range("registry path has no key below the software root");
    }
    const std::wstring_view rest = std::wstring_view(text).substr(prefix->size());
    if (rest.substr(0, rest.find(L'\\')) == L"wow6432node") {
        if (!IsSystem64()) {
            return true;
        }
        // The wizard's own view on 64-bit Windows is the 32-bit one, which is
        // what the wow6432node keys hold.
        std::wstring rewritten = text;
        const size_t node = rewritten.find(L"wow6432node\\");
        if (node != std::wstring::npos) {
            rewritten.erase(node, 12);
        }
        path = CString(std::move(rewritten));
        return false;
    }
    if (IsSystem64()) {
        view |= KEY_WOW64_64KEY;
    }
    return false;
}

}  // namespace win32
