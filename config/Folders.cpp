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

CString GetKnownFolderPath(REFKNOWNFOLDERID id) {
    wchar_t* raw = nullptr;
    HRESULT hr = SHGetKnownFolderPath(id, 0, nullptr, &raw);
    std::unique_ptr<wchar_t, CoTaskMemDeleter> path(raw);
    return SUCCEEDED(hr) && path ? CString(path.get()) : CString();
}

CString GetDownloadsFolder() {
    CString downloads = GetKnownFolderPath(FOLDERID_Downloads);
    if (!downloads.IsEmpty()) {
        return downloads;
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
