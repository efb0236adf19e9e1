#include "win32/RegistryValues.h"

#include <cwctype>
#include <string>

#include "win32/RegistryError.h"

namespace win32 {

namespace {

const wchar_t* SubKeyOrNull(const CString& subKey) {
    return subKey.IsEmpty() ? nullptr : subKey.GetString();
}

}  // namespace

std::vector<CString> EnumerateSubkeys(HKEY key) {
    DWORD count = 0;
    DWORD longest = 0;
    LONG status = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        throw RegistryError("RegQueryInfoKey failed while preparing for subkey enumeration.",
                            status);
    }
    std::wstring buffer(static_cast<size_t>(longest) + 1, L'\0');
    std::vector<CString> names;
    names.reserve(count);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        status =
            ::RegEnumKeyExW(key, index, &buffer[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) {
            throw RegistryError("Cannot enumerate subkeys: RegEnumKeyEx failed.", status);
        }
        std::wstring name(buffer.data(), length);
        for (wchar_t& ch : name) {
            ch = static_cast<wchar_t>(std::towlower(ch));
        }
        names.emplace_back(std::move(name));
    }
    return names;
}

bool ValueExists(HKEY key, const CString& name) {
    const LONG status = ::RegGetValueW(key, nullptr, name, RRF_RT_ANY, nullptr, nullptr, nullptr);
    return status == ERROR_SUCCESS;
}

DWORD GetValueType(HKEY key, const CString& name) {
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
        return 0;
    }
    return type;
}

CString ReadStringValue(HKEY key, const CString& subKey, const CString& name) {
    // Without RRF_NOEXPAND a REG_EXPAND_SZ value would be expanded and then
    // pass as REG_SZ; only true REG_SZ values are read here.
    const DWORD flags = RRF_RT_REG_SZ | RRF_NOEXPAND;
    DWORD size = 0;
    LONG status = ::RegGetValueW(key, SubKeyOrNull(subKey), name, flags, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) {
        throw RegistryError("Cannot read string from registry", status);
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = ::RegGetValueW(key, SubKeyOrNull(subKey), name, flags, nullptr, &text[0], &size);
    if (status != ERROR_SUCCESS) {
        throw RegistryError("Cannot read string from registry", status);
    }
    // The size counts the terminating zero that RegGetValueW guarantees; a
    // size below one character is an empty text, not a negative length.
    const size_t length = size / sizeof(wchar_t);
    text.resize(length > 0 ? length - 1 : 0);
    return CString(std::move(text));
}

uint32_t ReadDwordValue(HKEY key, const CString& name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LONG status = ::RegGetValueW(key, L"", name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    if (status != ERROR_SUCCESS) {
        throw RegistryError("Cannot read DWORD from registry.", status);
    }
    return value;
}

uint64_t ReadQwordValue(HKEY key, const CString& name) {
    uint64_t value = 0;
    DWORD size = sizeof(value);
    const LONG status = ::RegGetValueW(key, L"", name, RRF_RT_REG_QWORD, nullptr, &value, &size);
    if (status != ERROR_SUCCESS) {
        throw RegistryError("Cannot read QWORD from registry.", status);
    }
    return value;
}

}  // namespace win32
