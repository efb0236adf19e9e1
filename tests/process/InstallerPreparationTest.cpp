#include <gtest/gtest.h>

#include "process/InstallerPreparation.h"
#include "process/ProcessLauncher.h"
#include "process/ShellZipExtraction.h"
#include "support/ScratchFolder.h"
#include "support/ZipWriter.h"
#include "win32/UniqueBstr.h"
#include "win32/UniqueHandle.h"

namespace {

const std::string& ProbeBytes() {
    static const std::string bytes = ReadFileBytes(TestProgramFolder() + L"process_probe.exe");
    return bytes;
}

// A working folder with an offer archive in it, as a download leaves it.
class InstallerFolder {
public:
    InstallerFolder() : work(root / L"work") { CreateDirectoryW(work.c_str(), nullptr); }

    std::wstring Archive(const std::vector<ZipEntry>& entries) {
        const std::wstring path = work + L"\\offer.zip";
        EXPECT_TRUE(WriteZip(path, entries));
        return path;
    }

    ScratchFolder root;
    std::wstring work;
};

}  // namespace

TEST(PrepareInstaller, UnpacksAZipBesideItAndPicksItsProgram) {
    const struct {
        const char* label;
        std::vector<ZipEntry> entries;
        const wchar_t* program;  // below work\offer; null: the archive itself is started
    } cases[] = {
        {"program and a text",
         {{"readme.txt", "hello"}, {"setup.exe", ProbeBytes()}},
         L"setup.exe"},
        {"name with a dot folder", {{"./setup.exe", ProbeBytes()}}, L"setup.exe"},
        {"UTF-8 name", {{"instalaci\xC3\xB3n.exe", ProbeBytes(), true}}, L"instalaci\u00F3n.exe"},
        {"program only inside a folder", {{"bin/setup.exe", ProbeBytes()}}, nullptr},
        {"no program", {{"readme.txt", "hello"}}, nullptr},
        {"empty archive", {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.entries.size() == 1 && c.entries[0].utf8Name && !FileSystemTakesNonAsciiNames()) {
            continue;  // the host cannot store the name (see FileSystemTakesNonAsciiNames)
        }
        InstallerFolder folder;
        const std::wstring archive = folder.Archive(c.entries);
        const CString program =
            PrepareInstaller(archive.c_str(), ArchiveType::Zip, folder.work.c_str());
        if (c.program) {
            const std::wstring expected = folder.work + L"\\offer\\" + c.program;
            EXPECT_EQ(expected, program.str());
            EXPECT_TRUE(ProbeBytes() == ReadFileBytes(expected));
        } else {
            EXPECT_EQ(archive, program.str());
        }
    }
}

TEST(PrepareInstaller, StartsTheProgramTheFileSystemListsFirst) {
    InstallerFolder folder;
    const std::wstring archive =
        folder.Archive({{"b.exe", ProbeBytes()}, {"a.exe", ProbeBytes()}, {"c.txt", "x"}});
    const CString program =
        PrepareInstaller(archive.c_str(), ArchiveType::Zip, folder.work.c_str());
    WIN32_FIND_DATAW first{};
    const win32::UniqueFindHandle find(
        FindFirstFileW((folder.work + L"\\offer\\*.exe").c_str(), &first));
    ASSERT_TRUE(find.valid());
    EXPECT_EQ(folder.work + L"\\offer\\" + first.cFileName, program.str());
    const RunResult run = RunProcess(program, L"4", true);
    EXPECT_EQ(4u, run.first);
}

TEST(PrepareInstaller, NeverWritesOutsideTheExtractionFolder) {
    const struct {
        const char* label;
        const char* entry;
    } cases[] = {
        {"parent folder", "../evil.exe"},
        {"parent behind a folder", "sub/../../evil.exe"},
        {"backslashes", "sub\\..\\..\\evil.exe"},
        {"absolute", "/evil.exe"},
        {"drive", "C:/evil.exe"},
        {"drive-relative", "C:evil.exe"},
        {"device", "NUL.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        InstallerFolder folder;
        const std::wstring archive =
            folder.Archive({{"setup.exe", ProbeBytes()}, {c.entry, ProbeBytes()}});
        const CString program =
            PrepareInstaller(archive.c_str(), ArchiveType::Zip, folder.work.c_str());
        // A refused entry fails the whole archive: its own file is started,
        // which fails to run as a program.
        EXPECT_EQ(archive, program.str());
        EXPECT_FALSE(FileExists(folder.work + L"\\evil.exe"));
        EXPECT_FALSE(FileExists(folder.root / L"evil.exe"));
        EXPECT_FALSE(FileExists(L"C:\\evil.exe"));
        DeleteFileW(L"C:\\evil.exe");
    }
}

TEST(PrepareInstaller, StartsAnythingButAZipUnchanged) {
    InstallerFolder folder;
    const std::wstring damaged = folder.work + L"\\damaged.zip";
    ASSERT_TRUE(WriteFileBytes(damaged, std::string("PK\x03\x04", 4) + std::string(100, 'x')));
    EXPECT_EQ(damaged,
              PrepareInstaller(damaged.c_str(), ArchiveType::Zip, folder.work.c_str()).str());

    const std::wstring sevenZip = folder.work + L"\\tool.7z";
    const std::wstring plain = folder.work + L"\\tool.exe";
    EXPECT_EQ(sevenZip,
              PrepareInstaller(sevenZip.c_str(), ArchiveType::SevenZip, folder.work.c_str()).str());
    EXPECT_EQ(plain,
              PrepareInstaller(plain.c_str(), ArchiveType::Plain, folder.work.c_str()).str());
    EXPECT_FALSE(FolderExists(folder.work + L"\\tool"));
}

TEST(MakeExtractFolder, UsesTheArchiveNameWithoutItsExtension) {
    InstallerFolder folder;
    const std::wstring& work = folder.work;
    ASSERT_TRUE(WriteFileBytes(work + L"\\plain", "PK"));
    CreateDirectoryW((work + L"\\there").c_str(), nullptr);
    const struct {
        std::wstring path;
        std::wstring workFolder;
        std::wstring expected;
    } cases[] = {
        {work + L"\\offer.zip", work, work + L"\\offer"},
        {work + L"\\offer.v2.zip", work, work + L"\\offer.v2"},
        {work + L"\\there.zip", work, work + L"\\there"},
        {L"offer.zip", work, work},
        // An archive saved without an extension has the folder's name.
        {work + L"\\plain", work, work},
        {work + L"\\offer.zip", work + L"\\missing\\deeper", work + L"\\missing\\deeper"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        EXPECT_EQ(c.expected, MakeExtractFolder(c.path.c_str(), c.workFolder.c_str()).str());
        EXPECT_TRUE(c.expected == c.workFolder || FolderExists(c.expected));
    }
}

TEST(FindFirstExe, TakesTheFirstFileAndSkipsFolders) {
    ScratchFolder folder;
    EXPECT_EQ(L"", FindFirstExe(folder.Path().c_str()).str());
    CreateDirectoryW((folder / L"tools.exe").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(folder / L"notes.txt", "x"));
    EXPECT_EQ(L"", FindFirstExe(folder.Path().c_str()).str());
    ASSERT_TRUE(WriteFileBytes(folder / L"setup.exe", "x"));
    EXPECT_EQ(L"setup.exe", FindFirstExe(folder.Path().c_str()).str());
    EXPECT_EQ(L"", FindFirstExe((folder / L"missing").c_str()).str());
}

// Where the shell cannot open the archive (no ZIP folders, as under Wine, or
// no such file), it reports a failure, so that the archive is unpacked another
// way instead of being taken for done.
TEST(ExtractZipWithShell, FailsWhenTheShellCannotOpenEitherSide) {
    InstallerFolder folder;
    const std::wstring archive = folder.Archive({{"setup.exe", ProbeBytes()}});
    const struct {
        const char* label;
        std::wstring zip;
        std::wstring destination;
    } cases[] = {
        {"missing archive", folder.work + L"\\missing.zip", folder.work},
        {"missing destination", archive, folder.work + L"\\missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        win32::UniqueBstr zip(SysAllocString(c.zip.c_str()));
        win32::UniqueBstr destination(SysAllocString(c.destination.c_str()));
        EXPECT_FALSE(ExtractZipWithShell(zip.get(), destination.get()));
    }
}
