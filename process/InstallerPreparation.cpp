#include "process/InstallerPreparation.h"

#include <windows.h>
#include <oleauto.h>
#include <shlwapi.h>

#include <new>

#include "process/ShellZipExtraction.h"
#include "process/ZipExtraction.h"
#include "win32/UniqueBstr.h"
#include "win32/UniqueHandle.h"

namespace {

win32::UniqueBstr CopyToBstr(const CString& text) {
    win32::UniqueBstr copy(::SysAllocStringLen(text, static_cast<UINT>(text.GetLength())));
    if (!copy) {
        throw std::bad_alloc();
    }
    return copy;
}

}  // namespace

CString PrepareInstaller(const CString& path, ArchiveType type, const CString& workFolder) {
    if (type != ArchiveType::Zip) {
        return path;
    }
    const CString folder = MakeExtractFolder(path, workFolder);
    bool extracted = false;
    {
        win32::UniqueBstr zip = CopyToBstr(path);
        win32::UniqueBstr destination = CopyToBstr(folder);
        extracted = ExtractZipWithShell(zip.get(), destination.get());
    }
    // Wine's shell, and Windows without ZIP folders, cannot open the archive.
    if (!extracted) {
        extracted = ExtractZipWithMinizip(path, folder);
    }
    if (extracted) {
        const CString name = FindFirstExe(folder);
        wchar_t program[MAX_PATH] = {};
        if (!name.IsEmpty() && folder.GetLength() < MAX_PATH) {
            folder.str().copy(program, folder.str().size());
            if (::PathAppendW(program, name)) {
                return program;
            }
        }
    }
    return path;
}

CString MakeExtractFolder(const CString& path, const CString& workFolder) {
    CString name;
    const int slash = path.ReverseFind(L'\\');
    if (slash >= 0) {
        name = L"\\" + path.Mid(slash + 1);
        const int dot = name.ReverseFind(L'.');
        if (dot >= 0) {
            name = name.Left(dot);
        }
    }
    const CString folder = workFolder + name;
    if (::CreateDirectoryW(folder, nullptr) ||
        (::GetLastError() == ERROR_ALREADY_EXISTS && ::PathIsDirectoryW(folder))) {
        return folder;
    }
    return workFolder;
}

CString FindFirstExe(const CString& folder) {
    // The pattern is cut to fit 260 characters, as a fixed buffer would.
    CString pattern = folder + L"\\*.exe";
    if (pattern.GetLength() >= MAX_PATH) {
        pattern = pattern.Left(MAX_PATH - 1);
    }
    WIN32_FIND_DATAW entry{};
    win32::UniqueFindHandle find(::FindFirstFileW(pattern, &entry));
    if (!find) {
        return CString();
    }
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return entry.cFileName;
        }
    } while (::FindNextFileW(find.get(), &entry));
    return CString();
}
