#include "pages/WebAddress.h"

#include <windows.h>

#include <shlwapi.h>

#include "framework/ShellOpen.h"

bool IsWebAddress(const CString& address) {
    for (const wchar_t* scheme : {L"http://", L"https://"}) {
        const int length = static_cast<int>(wcslen(scheme));
        if (address.GetLength() > length && ::StrCmpNIW(address, scheme, length) == 0) {
            return true;
        }
    }
    return false;
}

void OpenWebAddress(const CString& address) {
    if (IsWebAddress(address)) {
        ShellOpen(address);
    }
}

CString LinkMarkupAddress(const CString& address) {
    CString escaped;
    for (const wchar_t ch : address.str()) {
        switch (ch) {
            case L'"':
                escaped += L"%22";
                break;
            case L'\'':
                escaped += L"%27";
                break;
            case L'<':
                escaped += L"%3C";
                break;
            case L'>':
                escaped += L"%3E";
                break;
            default:
                escaped += ch;
        }
    }
    return escaped;
}
