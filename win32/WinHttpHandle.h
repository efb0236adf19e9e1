#pragma once

#include <windows.h>
#include <winhttp.h>

#include "win32/UniqueHandle.h"

namespace win32 {

// WinHTTP handles close with their own function; this header keeps winhttp.h
// out of translation units that need wininet.h.
struct WinHttpHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::WinHttpCloseHandle(h); }
};

using UniqueWinHttpHandle = UniqueHandle<WinHttpHandleTraits>;

}  // namespace win32
