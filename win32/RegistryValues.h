#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/CString.h"

// Reads on an open registry key. Failures of the platform calls are thrown as
// RegistryError, except where a function says it answers instead.
namespace win32 {

// The names of the key's direct sub-keys, lower-cased.
std::vector<CString> EnumerateSubkeys(HKEY key);

// Whether the key holds a value of that name, of any type. Any failure of the
// query counts as absent.
bool ValueExists(HKEY key, const CString& name);

// The registry type of the value (REG_SZ, REG_DWORD, ...); 0 when it cannot
// be queried.
DWORD GetValueType(HKEY key, const CString& name);

// The text of a REG_SZ value of key\subKey (subKey may be empty). Other
// types, REG_EXPAND_SZ included, are refused.
CString ReadStringValue(HKEY key, const CString& subKey, const CString& name);

uint32_t ReadDwordValue(HKEY key, const CString& name);
uint64_t ReadQwordValue(HKEY key, const CString& name);

}  // namespace win32
