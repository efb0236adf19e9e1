#include "checks/AnsiToWide.h"

#include <windows.h>

CString AnsiToWide(const std::string& text) {
    if (text.empty()) {
        return CString();
    }
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return CString();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
    return CString(std::move(wide));
}
