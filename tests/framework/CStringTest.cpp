#include <gtest/gtest.h>

#include <windows.h>

#include "framework/CString.h"

TEST(CString, SlicesClampToTheText) {
    const CString text = L"Kestrano Setup";
    EXPECT_EQ(text.Left(8), L"Kestrano");
    EXPECT_EQ(text.Mid(9), L"Setup");
    EXPECT_EQ(text.Mid(9, 100), L"Setup");
    EXPECT_EQ(text.Right(5), L"Setup");
    EXPECT_EQ(text.Left(-1), L"");
    EXPECT_EQ(text.Mid(99), L"");
}

TEST(CString, FindAndReplaceEveryOccurrence) {
    CString text = L"{a};{a};{b}";
    EXPECT_EQ(text.Find(L"{a}"), 0);
    EXPECT_EQ(text.Find(L"{a}", 1), 4);
    EXPECT_EQ(text.Find(L"{c}"), -1);
    EXPECT_EQ(text.Replace(L"{a}", L"x"), 2);
    EXPECT_EQ(text, L"x;x;{b}");
    // A replacement that contains the token is not replaced again.
    EXPECT_EQ(text.Replace(L"x", L"xx"), 2);
    EXPECT_EQ(text, L"xx;xx;{b}");
}

TEST(CString, FormatUsesWideStringsAndGrowsItsBuffer) {
    CString text;
    text.Format(L"Tallwick, Version %s", L"3.0.11.0");
    EXPECT_EQ(text, L"Tallwick, Version 3.0.11.0");
    const std::wstring longText(1000, L'x');
    text.Format(L"%s-%d", longText.c_str(), 7);
    EXPECT_EQ(text.GetLength(), 1002);
}

TEST(CString, NarrowTextRoundTripsThroughTheAnsiCodePage) {
    EXPECT_EQ(CString("Setup"), L"Setup");
    EXPECT_EQ(WideToNarrow(L"Setup"), "Setup");
    EXPECT_EQ(WideToNarrow(L""), "");
}

// Narrow text follows the calling thread's locale, not the system's: byte E0 is
// Cyrillic a in code page 1251 and a-grave in the Western code pages.
TEST(CString, NarrowTextUsesTheThreadCodePage) {
    const LCID before = ::GetThreadLocale();
    ASSERT_TRUE(
        ::SetThreadLocale(MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT)));
    const CString converted("\xE0");
    ::SetThreadLocale(before);
    EXPECT_EQ(converted, L"\u0430");
}
