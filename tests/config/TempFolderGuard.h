#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/CString.h"

// Removes a folder tree when the test ends, so that work folders created by a
// test do not pile up in the prefix.
class TempFolderGuard {
public:
    explicit TempFolderGuard(CString path) : path(std::move(path)) {}
    ~TempFolderGuard() { Remove(path); }
    TempFolderGuard(const TempFolderGuard&) = delete;
    TempFolderGuard& operator=(const TempFolderGuard&) = delete;

    static void Remove(const CString& folder) {
        if (folder.IsEmpty()) {
            return;
        }
        std::wstring from = folder.str();
        from.push_back(L'\0');  // SHFileOperation takes a double-terminated list
        SHFILEOPSTRUCTW op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }

private:
    CString path;
};

// Sets an environment variable of this process for the scope of a test.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const wchar_t* name, const wchar_t* value) : name(name) {
        wchar_t buffer[32768];
        DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
        hadValue = length > 0 && length < 32768;
        if (hadValue) {
            previous = buffer;
        }
        SetEnvironmentVariableW(name, value);
    }
    ~ScopedEnvironmentVariable() {
        SetEnvironmentVariableW(name.c_str(), hadValue ? previous.c_str() : nullptr);
    }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::wstring name;
    std::wstring previous;
    bool hadValue = false;
};

// Points TMP at a file, so the temporary folder exists by name but nothing can
// be created inside it.
class UnusableTempFolder {
public:
    UnusableTempFolder() : blocker(MakeBlocker()), tmp(L"TMP", (blocker + L"\\").c_str()) {}
    ~UnusableTempFolder() { DeleteFileW(blocker.c_str()); }
    UnusableTempFolder(const UnusableTempFolder&) = delete;
    UnusableTempFolder& operator=(const UnusableTempFolder&) = delete;

private:
    static std::wstring MakeBlocker() {
        wchar_t folder[MAX_PATH] = {};
        wchar_t file[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"blk", 0, file);
        return file;
    }
    std::wstring blocker;
    ScopedEnvironmentVariable tmp;
};
