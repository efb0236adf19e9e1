#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "process/FileSystem.h"
#include "support/ScratchFolder.h"
#include "support/ZipWriter.h"
#include "win32/UniqueHandle.h"

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingRenames[] = L"PendingFileRenameOperations";

// The prefix's list of files to delete at the next restart, restored as it
// was when the test ends.
class PendingRenames {
public:
    PendingRenames() {
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      key.receive());
        saved = Read(existed);
    }
    ~PendingRenames() {
        if (existed) {
            RegSetValueExW(key.get(), kPendingRenames, 0, REG_MULTI_SZ,
                           reinterpret_cast<const BYTE*>(saved.data()),
                           static_cast<DWORD>(saved.size() * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key.get(), kPendingRenames);
        }
    }
    PendingRenames(const PendingRenames&) = delete;
    PendingRenames& operator=(const PendingRenames&) = delete;

    // The paths scheduled for deletion (source entries without a target).
    std::vector<std::wstring> Deletions() {
        bool present = false;
        const std::wstring list = Read(present);
        std::vector<std::wstring> entries;
        for (size_t start = 0; start < list.size();) {
            const size_t end = list.find(L'\0', start);
            entries.push_back(list.substr(start, end - start));
            start = end == std::wstring::npos ? list.size() : end + 1;
        }
        std::vector<std::wstring> deletions;
        for (size_t i = 0; i + 1 < entries.size(); i += 2) {
            if (entries[i + 1].empty()) {
                std::wstring path = entries[i];
                if (path.rfind(L"\\??\\", 0) == 0) {
                    path = path.substr(4);
                }
                deletions.push_back(path);
            }
        }
        return deletions;
    }

private:
    std::wstring Read(bool& present) {
        DWORD type = 0;
        DWORD size = 0;
        present = RegQueryValueExW(key.get(), kPendingRenames, nullptr, &type, nullptr, &size) ==
                  ERROR_SUCCESS;
        std::wstring value(size / sizeof(wchar_t), L'\0');
        if (present && size > 0) {
            RegQueryValueExW(key.get(), kPendingRenames, nullptr, &type,
                             reinterpret_cast<BYTE*>(value.data()), &size);
        }
        return value;
    }

    win32::UniqueRegKey key;
    std::wstring saved;
    bool existed = false;
};

bool Contains(const std::vector<std::wstring>& list, const std::wstring& path) {
    return std::any_of(list.begin(), list.end(), [&](const std::wstring& entry) {
        return _wcsicmp(entry.c_str(), path.c_str()) == 0;
    });
}

}  // namespace

TEST(DeleteFolderTree, DeletesWhatItCanAndSchedulesAFileInUseForRestart) {
    PendingRenames pending;
    ScratchFolder root;
    const std::wstring sub = root / L"sub";
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((sub + L"\\empty").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(root / L"a.txt", "a"));
    ASSERT_TRUE(WriteFileBytes(sub + L"\\b.exe", "b"));
    const std::wstring locked = sub + L"\\locked.bin";
    ASSERT_TRUE(WriteFileBytes(locked, "in use"));
    // Held open without sharing, as a running installer holds its own file.
    win32::UniqueFileHandle holder(
        CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());

    DeleteFolderTree(root.Path().c_str());

    EXPECT_FALSE(FileExists(root / L"a.txt"));
    EXPECT_FALSE(FileExists(sub + L"\\b.exe"));
    EXPECT_FALSE(FolderExists(sub + L"\\empty"));
    EXPECT_TRUE(FileExists(locked));
    const auto deletions = pending.Deletions();
    EXPECT_TRUE(Contains(deletions, locked));
    EXPECT_TRUE(Contains(deletions, sub));
    EXPECT_TRUE(Contains(deletions, root.Path()));
    EXPECT_FALSE(Contains(deletions, root / L"a.txt"));
}

TEST(DeleteFolderTree, RemovesEmptySubFoldersButLeavesAnEmptyTopFolder) {
    PendingRenames pending;
    const auto before = pending.Deletions();
    {
        ScratchFolder root;
        DeleteFolderTree(root.Path().c_str());
        EXPECT_TRUE(FolderExists(root.Path()));
        DeleteFolderTree((root / L"missing").c_str());
    }
    ScratchFolder root;
    ASSERT_TRUE(CreateDirectoryW((root / L"a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root / L"a\\b").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root / L"c").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(root / L"c\\setup.exe", "x"));
    DeleteFolderTree(root.Path().c_str());
    EXPECT_FALSE(FolderExists(root.Path()));
    // Nothing was left for a restart.
    EXPECT_EQ(before, pending.Deletions());
}

TEST(DeleteFolderTree, RemovesALinkWithoutEnteringIt) {
    ScratchFolder outside;
    ASSERT_TRUE(WriteFileBytes(outside / L"keep.txt", "keep"));
    ScratchFolder root;
    ASSERT_TRUE(WriteFileBytes(root / L"setup.exe", "x"));
    if (!CreateSymbolicLinkW((root / L"link").c_str(), outside.Path().c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY)) {
        GTEST_SKIP() << "no directory links here (" << GetLastError() << ")";
    }
    DeleteFolderTree(root.Path().c_str());
    EXPECT_TRUE(FileExists(outside / L"keep.txt"));
    EXPECT_FALSE(FolderExists(root.Path()));
}
