#include "win32/RegistryKey.h"

#include "win32/RegistryError.h"

namespace win32 {

LONG TryOpenRegistryKey(HKEY parent, const CString& subKey, REGSAM access, UniqueRegKey& key) {
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExW(parent, subKey, 0, access, &opened);
    if (status == ERROR_SUCCESS) {
        key.reset(opened);
    }
    return status;
}

UniqueRegKey OpenRegistryKey(HKEY parent, const CString& subKey, REGSAM access) {
    UniqueRegKey key;
    const LONG status = TryOpenRegistryKey(parent, subKey, access, key);
    if (status != ERROR_SUCCESS) {
        throw RegistryError("Cannot open registry key: RegOpenKeyEx failed.", status);
    }
    return key;
}

}  // namespace win32
