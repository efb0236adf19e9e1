#pragma once

#include <windows.h>
#include <wininet.h>

#include "win32/UniqueHandle.h"

namespace win32 {

// WinINet handles close with InternetCloseHandle; this header keeps wininet.h
// out of translation units that need winhttp.h.
struct WinInetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};

using UniqueWinInetHandle = UniqueHandle<WinInetHandleTraits>;

}  // namespace win32
