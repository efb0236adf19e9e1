#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace win32 {

// The system's message text for a Win32 error code, as FormatMessageW gives
// it (normally ending in a line break); empty when the system has none.
// Inserts are left as they stand: a message such as "%1 is not a valid Win32
// application." would otherwise make FormatMessageW read arguments that were
// never passed.
inline std::wstring SystemErrorText(DWORD code) {
    struct LocalFreeDeleter {
        void operator()(wchar_t* text) const { ::LocalFree(text); }
    };
    wchar_t* raw = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&raw),
        0, nullptr);
    std::unique_ptr<wchar_t, LocalFreeDeleter> text(raw);
    return length && text ? std::wstring(text.get(), length) : std::wstring();
}

}  // namespace win32
