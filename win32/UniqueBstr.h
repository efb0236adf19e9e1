#pragma once

#include <windows.h>
#include <oleauto.h>

#include "win32/UniqueHandle.h"

namespace win32 {

struct BstrTraits {
    using Handle = BSTR;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::SysFreeString(h); }
};

// Owner of one BSTR, freed with SysFreeString.
using UniqueBstr = UniqueHandle<BstrTraits>;

}  // namespace win32
