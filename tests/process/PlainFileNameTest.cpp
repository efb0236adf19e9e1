#include <gtest/gtest.h>

#include "process/PlainFileName.h"

TEST(IsPlainFileName, AcceptsOneNameInsideAFolderOnly) {
    const struct {
        const wchar_t* name;
        bool expected;
    } cases[] = {
        {L"setup.exe", true},
        {L"Tallwick Setup 3.0.exe", true},
        {L".hidden", true},
        {L"x.exe?v=1", true},  // the file system refuses it when the file is made
        {L"console.exe", true},
        {L"COM10.exe", true},
        {L"", false},
        {L".", false},
        {L"..", false},
        {L"...", false},
        {L". .", false},
        {L"..\\..\\x.exe", false},
        {L"C:\\x.exe", false},
        {L"C:x.exe", false},
        {L"sub/x.exe", false},
        {L"sub\\x.exe", false},
        {L"\\\\server\\share\\x.exe", false},
        {L"x.exe:stream", false},
        {L"CON", false},
        {L"nul.txt", false},
        {L"com1.exe", false},
        {L"LPT9", false},
        {L"AUX .exe", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        EXPECT_EQ(c.expected, IsPlainFileName(c.name));
    }
}
