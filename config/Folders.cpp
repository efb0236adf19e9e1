#include "config/Folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <memory>

namespace {
struct CoTaskMemDeleter {
    void operator()(wchar_t* p) const { CoTaskMemFree(p); }
};
}  // namespace

CString CreateWorkFolder() {
    wchar_t buffer[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, buffer);
    // GetTempFileNameW reserves a unique name by creating an empty file; the
    // folder then takes that name.
    GetTempFileNameW(buffer, L"ISV", 0, buffer);
    DeleteFileW(buffer);
    CreateDirectoryW(buffer, nullptr);
    return buffer;
}

CString GetDownloadsFolder() {
    wchar_t* raw = nullptr;
    HRESULT hr = SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &raw);
    std::unique_ptr<wchar_t, CoTaskMemDeleter> downloads(raw);
    if (SUCCEEDED(hr) && downloads) {
        return downloads.get();
    }
    wchar_t buffer[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, buffer))) {
        return buffer;
    }
    if (GetTempPathW(MAX_PATH, buffer) != 0) {
        return buffer;
    }
    return L"C:\\";
}
