#pragma once

#include <windows.h>

#include "framework/CGdiObject.h"

// Owner of one GDI font; deleted with the object, so it must outlive every
// control it was set on.
class CFont {
public:
    bool CreateFontIndirect(const LOGFONTW& description) {
        font.reset(::CreateFontIndirectW(&description));
        return font.valid();
    }
    HFONT GetSafeHandle() const { return static_cast<HFONT>(font.get()); }
    operator HFONT() const { return GetSafeHandle(); }

private:
    win32::UniqueGdiObject font;
};
