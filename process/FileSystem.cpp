#include "process/FileSystem.h"

#include <windows.h>

#include <shlwapi.h>

#include "win32/UniqueHandle.h"

namespace {

void ScheduleDeletionAtRestart(const CString& path) {
    ::MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void DeleteFileOrSchedule(const CString& path) {
    if (::DeleteFileW(path)) {
        return;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
        ScheduleDeletionAtRestart(path);
    }
}

void RemoveFolderOrSchedule(const CString& folder) {
    if (!::RemoveDirectoryW(folder)) {
        ScheduleDeletionAtRestart(folder);
    }
}

// Removes folder and everything below it, empty sub-folders included: one
// left behind would keep every folder above it until the next restart.
void DeleteTree(const CString& folder) {
    {
        WIN32_FIND_DATAW entry{};
        win32::UniqueFindHandle find(::FindFirstFileW(folder + L"\\*.*", &entry));
        if (find) {
            do {
                const CString name = entry.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                const CString path = folder + L"\\" + name;
                const bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                const bool link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                if (directory && link) {
                    // Removing the link leaves its target alone; entering it
                    // would delete whatever it points to.
                    RemoveFolderOrSchedule(path);
                } else if (directory) {
                    DeleteTree(path);
                } else {
                    DeleteFileOrSchedule(path);
                }
            } while (::FindNextFileW(find.get(), &entry));
        }
    }
    RemoveFolderOrSchedule(folder);
}

}  // namespace

void DeleteFolderTree(const CString& folder) {
    if (!::PathIsDirectoryW(folder) || ::PathIsDirectoryEmptyW(folder)) {
        return;
    }
    DeleteTree(folder);
}
