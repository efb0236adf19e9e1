#include "checks/ValueDataMatches.h"

#include "checks/LowerCase.h"
#include "checks/NumberText.h"
#include "win32/RegistryError.h"
#include "win32/RegistryValues.h"

bool ValueDataMatches(DWORD type, HKEY key, const CString& name, const CString& data) {
    switch (type) {
        case REG_SZ: {
            CString text;
            try {
                text = win32::ReadStringValue(key, CString(), name);
            } catch (const win32::RegistryError&) {
                return false;
            }
            return LowerCase(text) == data;
        }
        case REG_DWORD: {
            uint32_t value = 0;
            try {
                value = win32::ReadDwordValue(key, name);
            } catch (const win32::RegistryError&) {
                return false;
            }
            return value == ParseUnsigned32(data);
        }
        case REG_QWORD: {
            uint64_t value = 0;
            try {
                value = win32::ReadQwordValue(key, name);
            } catch (const win32::RegistryError&) {
                return false;
            }
            return value == ParseUnsigned64(data);
        }
        default:
            return false;
    }
}
