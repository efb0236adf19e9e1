#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/CString.h"

// Registry paths as offer rules write them: components separated by one
// backslash, a lower-case root name first ("hkey_local_machine" or "hklm"),
// or no root at all for a path below the software keys. Every comparison is
// case-sensitive; callers lower-case rule paths first.
namespace win32 {

// The long root names, in the order they are tried.
extern const std::vector<std::wstring> RootNames;
// Short root names to long ones, walked in ascending order of the short name.
extern const std::map<std::wstring, std::wstring> RootAliases;
// Long root names to predefined keys; at() on an unknown name throws
// std::out_of_range.
extern const std::map<std::wstring, HKEY> RootKeys;
// "hkey_local_machine\software\" and "hkey_current_user\software\".
extern const std::vector<std::wstring> SoftwarePrefixes;
// The same prefixes followed by "wow6432node\".
extern const std::vector<std::wstring> Wow6432NodePrefixes;

// True on 64-bit Windows, where this 32-bit process sees two registry views.
// Asked once per process: the answer cannot change while it runs.
bool IsSystem64();

// The full paths to try for a rule path: the path itself when it starts with
// a known root and a backslash (a short root replaced by its long name),
// otherwise the path below HKLM\software and HKCU\software and, on 64-bit
// Windows, below their wow6432node keys as well. Empty text gives no paths.
std::vector<CString> ExpandRegistryPath(const CString& path);

// (text before the first backslash, text after it); both halves are the whole
// text when there is no backslash.
std::pair<CString, CString> SplitAtFirstSeparator(const CString& path);
// The same at the last backslash.
std::pair<CString, CString> SplitAtLastSeparator(const CString& path);

// The entry of SoftwarePrefixes that path starts with, or null.
const std::wstring* SoftwarePrefixOf(const std::wstring& path);

// Chooses the registry view for a full path below a software root. On 64-bit
// Windows a path through wow6432node is rewritten to the plain path in the
// default (32-bit) view, and any other software path gets KEY_WOW64_64KEY.
// Returns true when the path cannot exist: a wow6432node path on 32-bit
// Windows. Paths outside the software roots are left alone. Throws
// std::out_of_range for a software root without a third component.
bool SelectRegistryView(CString& path, REGSAM& view);

}  // namespace win32
