#pragma once

#include <windows.h>

#include "framework/CGdiObject.h"

// Owner of one GDI brush; deleted with the object.
class CBrush {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }

    bool CreateSolidBrush(COLORREF color) {
        brush.reset(::CreateSolidBrush(color));
        return brush.valid();
    }
    HBRUSH GetSafeHandle() const { return static_cast<HBRUSH>(brush.get()); }
    operator HBRUSH() const { return GetSafeHandle(); }

private:
    win32::UniqueGdiObject brush;
};
