#pragma once

#include <memory>
#include <vector>

namespace Gdiplus {
class Bitmap;
}

// Decodes downloaded image bytes (PNG, JPEG, ...) into a bitmap; null when
// the bytes are empty or cannot be decoded, so that a broken picture from the
// service shows nothing instead of a bitmap in an error state.
std::shared_ptr<Gdiplus::Bitmap> LoadImageFromMemory(const std::vector<char>& bytes);
