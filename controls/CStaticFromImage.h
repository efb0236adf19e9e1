#pragma once

#include <memory>

#include "framework/CStatic.h"

namespace Gdiplus {
class Image;
}

// A static control that paints a shared GDI+ image stretched to its client
// area; without an image it draws nothing.
class CStaticFromImage : public CStatic {
public:
    CStaticFromImage();

    bool Bind(HWND control) override { return SubclassWindow(control); }
    void SetImage(std::shared_ptr<Gdiplus::Image> picture);
    void LoadFromResource(UINT id, const wchar_t* type);
    const std::shared_ptr<Gdiplus::Image>& GetImage() const { return image; }

private:
    void Paint();

    std::shared_ptr<Gdiplus::Image> image;
};
