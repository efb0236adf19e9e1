#pragma once

#include "support/RunningProgram.h"  // TestProgramFolder

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "win32/UniqueHandle.h"

// A fresh folder in the temporary folder for one test, removed with all it
// holds when the test ends (through the shell, not the code under test).
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& suffix = std::wstring()) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        static LONG counter = 0;
        const LONG n = InterlockedIncrement(&counter);
        path = std::wstring(temp) + L"tw-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(n) + suffix;
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~ScratchFolder() {
        std::wstring from = path;
        from.push_back(L'\0');  // SHFileOperation takes a double-terminated list
        SHFILEOPSTRUCTW op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path; }
    std::wstring operator/(const std::wstring& name) const { return path + L"\\" + name; }

private:
    std::wstring path;
};

inline bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether this file system takes names outside ASCII. Wine maps them to Unix
// names through the host's locale and refuses them (error 2) when the locale
// it runs under is missing.
inline bool FileSystemTakesNonAsciiNames() {
    static const bool takes = [] {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        const std::wstring probe = std::wstring(temp) + L"tw-\u00F3\u0436\u4e2d.probe";
        const win32::UniqueFileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr,
                                                       CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE,
                                                       nullptr));
        return file.valid();
    }();
    return takes;
}
