#include "controls/LoadImageFromMemory.h"

#include <windows.h>

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include "win32/ComPtr.h"

std::shared_ptr<Gdiplus::Bitmap> LoadImageFromMemory(const std::vector<char>& bytes) {
    if (bytes.empty()) {
        return nullptr;
    }
    win32::ComPtr<IStream> stream;
    *stream.receive() = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<UINT>(bytes.size()));
    if (!stream) {
        return nullptr;
    }
    auto bitmap = std::make_shared<Gdiplus::Bitmap>(stream.get());
    if (bitmap->GetLastStatus() != Gdiplus::Ok) {
        return nullptr;
    }
    return bitmap;
}
