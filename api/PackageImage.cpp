#include "api/Package.h"

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include "config/ConfigurationManager.h"
#include "download/DownloadManager.h"
#include "win32/ComPtr.h"

namespace {

// A bitmap decoded from the bytes, keeping the status GDI+ reported; null when
// no stream could be made over them.
std::shared_ptr<Gdiplus::Bitmap> DecodeBitmap(const std::vector<char>& bytes) {
    win32::ComPtr<IStream> stream;
    *stream.receive() = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<UINT>(bytes.size()));
    if (!stream) {
        return nullptr;
    }
    return std::make_shared<Gdiplus::Bitmap>(stream.get());
}

}  // namespace

void Package::DownloadImage(std::function<void()> callback) {
    if (isMain) {
        if (callback) {
            callback();
        }
        return;
    }
    const CString address = ConfigurationManager::GetInstance()->imageBaseUrl + CString(i);
    std::shared_ptr<Package> self = shared_from_this();
    DownloadManager::GetInstance()->FetchAsync(
        address, [self, callback](std::unique_ptr<std::vector<char>> data) {
            // A null result (the wizard is closing) and an empty body leave
            // the image as it was.
            if (data && !data->empty()) {
                if (auto bitmap = DecodeBitmap(*data)) {
                    self->image = std::move(bitmap);
                }
            }
            if (callback) {
                callback();
            }
        });
}
