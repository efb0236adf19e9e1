#pragma once

#include <windows.h>

#include "framework/CString.h"
#include "win32/UniqueHandle.h"

namespace win32 {

// Opens subKey below parent with the given access (KEY_READ plus view flags).
// Throws RegistryError "Cannot open registry key: RegOpenKeyEx failed." with
// the call's status.
[[nodiscard]] UniqueRegKey OpenRegistryKey(HKEY parent, const CString& subKey, REGSAM access);

// The same without the exception, for lookups where a missing key is the
// common answer: returns the call's status and sets key only on success.
[[nodiscard]] LONG TryOpenRegistryKey(HKEY parent, const CString& subKey, REGSAM access,
                                      UniqueRegKey& key);

}  // namespace win32
