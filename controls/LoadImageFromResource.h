#pragma once

#include <windows.h>

#include <memory>

namespace Gdiplus {
class Bitmap;
}

// Decodes an image resource (PNG bytes under a custom type) into a bitmap;
// null when the resource is missing, empty or cannot be decoded.
std::shared_ptr<Gdiplus::Bitmap> LoadImageFromResource(HMODULE module, const wchar_t* name,
                                                       const wchar_t* type);
