#pragma once

#include <windows.h>

#include "framework/CString.h"
#include "win32/UniqueHandle.h"

namespace win32 {

// Opens subKey below parent with the given access (KEY_READ plus view flags).
// Throws RegistryError "Cannot open registry key: RegOpenKeyEx failed." with
// the call's status.
[[nodiscard]] UniqueRegKey OpenRegistryKey(HKEY parent, const CString& subKey, REGSAM access);

}  // namespace win32
