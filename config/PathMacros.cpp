#include "config/PathMacros.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "config/ConfigurationManager.h"
#include "config/Folders.h"
#include "win32/ProcessArchitecture.h"

namespace {

// The visiting order matters: "commonpf" expands to another macro that the
// later entries then resolve in the same pass.
const wchar_t* const kExpansionOrder[] = {L"commonpf",    L"localappdata", L"commonappdata",
                                          L"programdata", L"commonpf32",   L"commonpf64"};

}  // namespace

PathMacroTable BuildPathMacros() {
    const bool system64 = win32::IsWow64();
    PathMacroTable macros;
    macros[L"commonpf"] = system64 ? L"{commonpf64}" : L"{commonpf32}";
    macros[L"localappdata"] = GetKnownFolderPath(FOLDERID_LocalAppData);
    macros[L"commonappdata"] = GetKnownFolderPath(FOLDERID_RoamingAppData);
    macros[L"programdata"] = GetKnownFolderPath(FOLDERID_ProgramData);
    macros[L"commonpf32"] = GetKnownFolderPath(FOLDERID_ProgramFilesX86);
    if (system64) {
        wchar_t buffer[MAX_PATH] = {};
        DWORD length = GetEnvironmentVariableW(L"ProgramW6432", buffer, MAX_PATH);
        if (length >= 1 && length <= MAX_PATH) {
            macros[L"commonpf64"] = buffer;
        }
    }
    return macros;
}

CString ExpandPathMacros(const CString& path) {
    return ExpandPathMacros(path, ConfigurationManager::GetInstance()->GetPathMacros());
}

CString ExpandPathMacros(const CString& path, const PathMacroTable& macros) {
    CString result = path;
    for (const wchar_t* name : kExpansionOrder) {
        auto entry = macros.find(name);
        if (entry == macros.end()) {
            continue;
        }
        const CString token = CString(L"{") + name + L"}";
        result.Replace(token, entry->second);
    }
    return result;
}
