#pragma once

#include <windows.h>

#include "win32/UniqueHandle.h"

namespace win32 {
struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DeleteObject(handle); }
};
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
}  // namespace win32
