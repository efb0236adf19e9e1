#include "api/DownloadToken.h"

#include <windows.h>

CString GetDownloadToken() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        // A truncated path could end in the middle of a name: no token then.
        return CString();
    }
    return DownloadTokenFromPath(CString(path, static_cast<int>(length)));
}

CString DownloadTokenFromPath(const CString& path) {
    // The whole path is searched, so an underscore in a folder name counts
    // when the file name has none; the length test then normally fails.
    const int underscore = path.ReverseFind(L'_');
    if (underscore < 0) {
        return CString();
    }
    CString token = path.Mid(underscore + 1);
    const int dot = token.ReverseFind(L'.');
    if (dot >= 0) {
        token = token.Left(dot);
    }
    if (token.GetLength() == 7 && token.Find(L'-') >= 0) {
        return token;
    }
    return CString();
}
