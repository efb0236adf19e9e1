#include "checks/LowerCase.h"

#include <cwctype>
#include <string>

CString LowerCase(const CString& text) {
    std::wstring lower = text.str();
    for (wchar_t& ch : lower) {
        ch = static_cast<wchar_t>(std::towlower(ch));
    }
    return CString(std::move(lower));
}
