#include <gtest/gtest.h>

#include "process/ProcessLauncher.h"
#include "support/ScratchFolder.h"
#include "support/ZipWriter.h"
#include "win32/SystemErrorText.h"

namespace {

std::wstring ProbePath() {
    return TestProgramFolder() + L"process_probe.exe";
}

// The command line the probe at path recorded when it last ran.
std::wstring RecordedCommandLine(const std::wstring& probe) {
    const std::string bytes = ReadFileBytes(probe + L".cmdline");
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

}  // namespace

TEST(RunProcess, WaitsForTheExitCodeAndNamesANonZeroOne) {
    ScratchFolder folder;
    const std::wstring probe = folder / L"probe.exe";
    ASSERT_TRUE(CopyFileW(ProbePath().c_str(), probe.c_str(), FALSE));
    const struct {
        const wchar_t* arguments;
        DWORD code;
        const wchar_t* message;
    } cases[] = {
        {L"0", 0, L""},
        {L"1", 1, L"exit code = 1"},
        {L"3010", 3010, L"exit code = 3010"},
        {L"", 0, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.arguments)));
        const RunResult result = RunProcess(probe.c_str(), c.arguments, true);
        EXPECT_EQ(c.code, result.first);
        EXPECT_EQ(std::wstring(c.message), result.second.str());
    }
}

TEST(RunProcess, QuotesThePathAndPutsTheArgumentsAfterOneSpace) {
    ScratchFolder folder(L" with spaces");
    const std::wstring probe = folder / L"setup probe.exe";
    ASSERT_TRUE(CopyFileW(ProbePath().c_str(), probe.c_str(), FALSE));
    const struct {
        const wchar_t* arguments;
        DWORD code;
    } cases[] = {
        {L"7 /S /D=\"C:\\Program Files\\x\"", 7},
        {L"", 0},  // the space after the quoted path stays
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.arguments)));
        const RunResult result = RunProcess(probe.c_str(), c.arguments, true);
        EXPECT_EQ(c.code, result.first);
        EXPECT_EQ(L"\"" + probe + L"\" " + c.arguments, RecordedCommandLine(probe));
    }
}

TEST(RunProcess, WithoutWaitingKeepsTheUnknownExitCode) {
    ScratchFolder folder;
    const std::wstring probe = folder / L"probe.exe";
    ASSERT_TRUE(CopyFileW(ProbePath().c_str(), probe.c_str(), FALSE));
    const RunResult result = RunProcess(probe.c_str(), L"5", false);
    EXPECT_EQ(0xFFFFFFFFu, result.first);
    EXPECT_EQ(L"exit code = 4294967295", result.second.str());
    // It ran all the same: its record appears.
    for (int i = 0; i < 100 && !FileExists(probe + L".cmdline"); ++i) {
        Sleep(50);
    }
    EXPECT_TRUE(FileExists(probe + L".cmdline"));
}

TEST(RunProcess, ReportsAStartThatFailsWithTheSystemText) {
    ScratchFolder folder;
    const std::wstring notAProgram = folder / L"archive.7z";
    ASSERT_TRUE(WriteFileBytes(notAProgram, std::string("7z\xBC\xAF\x27\x1C", 6) + "data"));
    const struct {
        std::wstring path;
        DWORD error;
    } cases[] = {
        {folder / L"missing.exe", ERROR_FILE_NOT_FOUND},
        {notAProgram, ERROR_BAD_EXE_FORMAT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        const RunResult result = RunProcess(c.path.c_str(), L"", true);
        EXPECT_EQ(0xFFFFFFFFu, result.first);
        EXPECT_EQ(L"Error launching executable: " + win32::SystemErrorText(c.error),
                  result.second.str());
    }
}

TEST(RunProcessAsync, DeliversTheRunThroughItsFuture) {
    ScratchFolder folder;
    const std::wstring probe = folder / L"probe.exe";
    ASSERT_TRUE(CopyFileW(ProbePath().c_str(), probe.c_str(), FALSE));
    CString path = probe.c_str();
    auto future = RunProcessAsync(path, L"9", true);
    path = L"changed";  // the task works on its own copies
    const RunResult result = future.get();
    EXPECT_EQ(9u, result.first);
    EXPECT_EQ(L"exit code = 9", result.second.str());
}
