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
    static const struct {
        wchar_t ch;
        const wchar_t* escaped;
    } kEscapes[] = {{L'"', L"%22"}, {L'\'', L"%27"}, {L'<', L"%3C"}, {L'>', L"%3E"}};
    CString escaped;
    for (const wchar_t ch : address.str()) {
        const wchar_t* replacement = nullptr;
        for (const auto& escape : kEscapes) {
            if (escape.ch == ch) {
                replacement = escape.escaped;
            }
        }
        if (replacement) {
            escaped += replacement;
        } else {
            escaped += ch;
        }
    }
    return escaped;
}
