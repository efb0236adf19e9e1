#include "win32/RegistryKey.h"

#include "win32/RegistryError.h"

namespace win32 {

UniqueRegKey OpenRegistryKey(HKEY parent, const CString& subKey, REGSAM access) {
    UniqueRegKey key;
    const LONG status = ::RegOpenKeyExW(parent, subKey, 0, access, key.receive());
    if (status != ERROR_SUCCESS) {
        key.release();  // nothing was opened; never close what the call may have left
        throw RegistryError("Cannot open registry key: RegOpenKeyEx failed.", status);
    }
    return key;
}

}  // namespace win32
