#include "DownloadTest.h"

#include "download/DownloadAddress.h"
#include "process/ArchiveType.h"
#include "process/InstallerPreparation.h"
#include "process/ProcessLauncher.h"

using nlohmann::json;

// The way of an offer through the download page: download into the work
// folder, unpack, start.
TEST_F(DownloadTest, AZipOfferIsUnpackedBesideItAndItsProgramStarted) {
    const std::string probe = ReadFileBytes(TestProgramFolder() + L"process_probe.exe");
    ASSERT_FALSE(probe.empty());
    ScratchFolder staging;
    ASSERT_TRUE(
        WriteZip(staging / L"offer.zip", {{"readme.txt", "read me"}, {"offer setup.exe", probe}}));
    Serve("/f/offer.zip",
          json::array({{{"body_hex", service::ToHex(ReadFileBytes(staging / L"offer.zip"))}}}));

    const Result result = Download(FullDownloadUrl(L"https://localhost/f/offer.zip"));
    ASSERT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
    const CString archive = manager->downloadedPath;
    EXPECT_EQ(work / L"offer.zip", archive.str());
    ASSERT_EQ(ArchiveType::Zip, DetectArchiveType(archive));

    const CString program = PrepareInstaller(archive, ArchiveType::Zip, config->workFolder);
    const std::wstring expected = work / L"offer\\offer setup.exe";
    EXPECT_EQ(expected, program.str());
    const RunResult run = RunProcessAsync(program, L"6 /S", true).get();
    EXPECT_EQ(6u, run.first);
    EXPECT_EQ(L"exit code = 6", run.second.str());
    // The program that ran is the one unpacked into the extraction folder.
    EXPECT_TRUE(FileExists(expected + L".cmdline"));
}

TEST_F(DownloadTest, ASevenZipOfferIsStartedUnchanged) {
    Serve("/f/tool.7z", json::array({{{"body_hex", "377abcaf271c000400112233"}}}));
    const Result result = Download(Https("/f/tool.7z"));
    ASSERT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
    const CString archive = manager->downloadedPath;
    ASSERT_EQ(ArchiveType::SevenZip, DetectArchiveType(archive));
    const CString program = PrepareInstaller(archive, ArchiveType::SevenZip, config->workFolder);
    EXPECT_EQ(archive, program);
    const RunResult run = RunProcess(program, L"", true);
    EXPECT_EQ(0xFFFFFFFFu, run.first);
    EXPECT_EQ(0u, run.second.Find(L"Error launching executable: "));
}
