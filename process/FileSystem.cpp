#include "process/FileSystem.h"

#include <windows.h>

#include <shlwapi.h>

#include "win32/UniqueHandle.h"

namespace {
void DeleteOrSchedule(const CString& path, bool directory) {
    const BOOL done = directory ? ::RemoveDirectoryW(path) : ::DeleteFileW(path);
    if (!done) {
        ::MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}
}  // namespace

void DeleteFolderTree(const CString& folder) {
    if (folder.IsEmpty() || !::PathFileExistsW(folder)) {
        return;
    }
    WIN32_FIND_DATAW entry{};
    win32::UniqueFindHandle find(::FindFirstFileW(folder + L"\\*.*", &entry));
    if (find) {
        do {
            const CString name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const CString path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteFolderTree(path);
            } else {
                DeleteOrSchedule(path, false);
            }
        } while (::FindNextFileW(find.get(), &entry));
    }
    find.reset();
    DeleteOrSchedule(folder, true);
}
