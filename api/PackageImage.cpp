#include "api/Package.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "config/ConfigurationManager.h"
#include "controls/LoadImageFromMemory.h"
#include "download/DownloadManager.h"

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
                if (auto bitmap = LoadImageFromMemory(*data)) {
                    self->image = std::move(bitmap);
                }
            }
            if (callback) {
                callback();
            }
        });
}
