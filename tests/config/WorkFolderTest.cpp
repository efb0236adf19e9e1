#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "config/Folders.h"
#include "config/TempFolderGuard.h"

namespace {
CString TempPath() {
    wchar_t buffer[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, buffer);
    return buffer;
}
}  // namespace

TEST(CreateWorkFolder, CreatesADistinctIsvFolderInTheTemporaryFolderEachTime) {
    const CString first = CreateWorkFolder();
    TempFolderGuard firstGuard(first);
    const CString second = CreateWorkFolder();
    TempFolderGuard secondGuard(second);

    for (const CString& folder : {first, second}) {
        SCOPED_TRACE(testing::PrintToString(folder.str()));
        EXPECT_TRUE(PathIsDirectoryW(folder));
        EXPECT_EQ(folder.Left(TempPath().GetLength()), TempPath());
        const CString name = PathFindFileNameW(folder);
        EXPECT_EQ(name.Left(3), L"ISV");
        EXPECT_EQ(name.Right(4), L".tmp");
    }
    EXPECT_NE(first, second);
}

TEST(CreateWorkFolder, ReturnsAPathThatIsNoFolderWhenTheTemporaryFolderIsMissing) {
    UnusableTempFolder unusable;
    const CString folder = CreateWorkFolder();
    EXPECT_FALSE(PathIsDirectoryW(folder));
}
