#include "controls/LoadImageFromResource.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

namespace {

struct StreamRelease {
    void operator()(IStream* stream) const { stream->Release(); }
};

}  // namespace

std::shared_ptr<Gdiplus::Bitmap> LoadImageFromResource(HMODULE module, const wchar_t* name,
                                                       const wchar_t* type) {
    HRSRC info = ::FindResourceW(module, name, type);
    if (!info) {
        return nullptr;
    }
    const DWORD size = ::SizeofResource(module, info);
    if (size == 0) {
        return nullptr;
    }
    HGLOBAL loaded = ::LoadResource(module, info);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) {
        return nullptr;
    }
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory) {
        return nullptr;
    }
    void* target = ::GlobalLock(memory);
    if (!target) {
        ::GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(memory);

    IStream* raw = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &raw)) || !raw) {
        ::GlobalFree(memory);
        return nullptr;
    }
    // From here the stream owns the memory and frees it with its last reference.
    std::unique_ptr<IStream, StreamRelease> stream(raw);
    auto bitmap = std::make_shared<Gdiplus::Bitmap>(stream.get());
    if (bitmap->GetLastStatus() != Gdiplus::Ok) {
        return nullptr;
    }
    return bitmap;
}
