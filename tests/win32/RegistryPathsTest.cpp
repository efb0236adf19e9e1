#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "win32/ProcessArchitecture.h"
#include "win32/RegistryPaths.h"

namespace {

std::vector<std::wstring> Expand(const wchar_t* path) {
    std::vector<std::wstring> texts;
    for (const CString& candidate : win32::ExpandRegistryPath(path)) {
        texts.push_back(candidate.str());
    }
    return texts;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

struct ExpansionCase {
    const wchar_t* path;
    std::vector<std::wstring> expected;
};

void ExpectExpansions(const std::vector<ExpansionCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(c.expected, Expand(c.path));
    }
}

// Paths whose expansion does not depend on the system's bitness.
const std::vector<ExpansionCase> kRootedPaths = {
    {L"", {}},
    {L"hklm\\software\\acme", {L"hkey_local_machine\\software\\acme"}},
    {L"hkcu\\software\\acme", {L"hkey_current_user\\software\\acme"}},
    {L"hkcr\\.txt", {L"hkey_classes_root\\.txt"}},
    {L"hkcc\\system", {L"hkey_current_config\\system"}},
    {L"hku\\.default", {L"hkey_users\\.default"}},
    {L"hkey_users\\s-1-5-18", {L"hkey_users\\s-1-5-18"}},
    {L"hkey_local_machine\\software\\acme", {L"hkey_local_machine\\software\\acme"}},
};

TEST(RegistryPathsTest, RootedPathsAreKeptOrGetTheirLongRoot) {
    ExpectExpansions(kRootedPaths);
}

TEST(RegistryPathsTest, PathsWithoutAKnownRootTryAllFourSoftwareKeysOn64BitWindows) {
    ASSERT_TRUE(win32::IsWow64()) << "needs the 64-bit prefix";
    ExpectExpansions({
        {L"acme\\tool",
         {L"hkey_local_machine\\software\\acme\\tool", L"hkey_current_user\\software\\acme\\tool",
          L"hkey_local_machine\\software\\wow6432node\\acme\\tool",
          L"hkey_current_user\\software\\wow6432node\\acme\\tool"}},
        // Roots are matched as written: upper case, no backslash after the
        // root, or a root-like word are paths below the software keys.
        {L"HKLM\\software\\acme",
         {L"hkey_local_machine\\software\\HKLM\\software\\acme",
          L"hkey_current_user\\software\\HKLM\\software\\acme",
          L"hkey_local_machine\\software\\wow6432node\\HKLM\\software\\acme",
          L"hkey_current_user\\software\\wow6432node\\HKLM\\software\\acme"}},
        {L"hklm",
         {L"hkey_local_machine\\software\\hklm", L"hkey_current_user\\software\\hklm",
          L"hkey_local_machine\\software\\wow6432node\\hklm",
          L"hkey_current_user\\software\\wow6432node\\hklm"}},
        {L"hkey_local_machinex\\a",
         {L"hkey_local_machine\\software\\hkey_local_machinex\\a",
          L"hkey_current_user\\software\\hkey_local_machinex\\a",
          L"hkey_local_machine\\software\\wow6432node\\hkey_local_machinex\\a",
          L"hkey_current_user\\software\\wow6432node\\hkey_local_machinex\\a"}},
    });
}

TEST(RegistryPathsTest, PathsWithoutAKnownRootTryTwoSoftwareKeysOn32BitWindows) {
    ASSERT_FALSE(win32::IsWow64()) << "needs the 32-bit prefix";
    ExpectExpansions(kRootedPaths);
    ExpectExpansions({
        {L"acme\\tool",
         {L"hkey_local_machine\\software\\acme\\tool", L"hkey_current_user\\software\\acme\\tool"}},
        {L"HKLM\\software\\acme",
         {L"hkey_local_machine\\software\\HKLM\\software\\acme",
          L"hkey_current_user\\software\\HKLM\\software\\acme"}},
    });
}

TEST(RegistryPathsTest, SplitsAtTheFirstAndTheLastSeparator) {
    struct Case {
        const wchar_t* path;
        const wchar_t* firstBefore;
        const wchar_t* firstAfter;
        const wchar_t* lastBefore;
        const wchar_t* lastAfter;
    } cases[] = {
        {L"a\\b\\c", L"a", L"b\\c", L"a\\b", L"c"},
        {L"plain", L"plain", L"plain", L"plain", L"plain"},
        {L"a\\", L"a", L"", L"a", L""},
        {L"\\a", L"", L"a", L"", L"a"},
        {L"", L"", L"", L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        const auto first = win32::SplitAtFirstSeparator(c.path);
        const auto last = win32::SplitAtLastSeparator(c.path);
        EXPECT_EQ(c.firstBefore, first.first.str());
        EXPECT_EQ(c.firstAfter, first.second.str());
        EXPECT_EQ(c.lastBefore, last.first.str());
        EXPECT_EQ(c.lastAfter, last.second.str());
    }
}

struct ViewCase {
    const wchar_t* path;
    bool absent;
    const wchar_t* rewritten;
    REGSAM view;
};

void ExpectViews(const std::vector<ViewCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        CString path = c.path;
        REGSAM view = KEY_READ;
        EXPECT_EQ(c.absent, win32::SelectRegistryView(path, view));
        EXPECT_EQ(c.rewritten, path.str());
        EXPECT_EQ(KEY_READ | c.view, view);
    }
}

TEST(RegistryPathsTest, SoftwarePathsChooseTheViewOn64BitWindows) {
    ASSERT_TRUE(win32::IsWow64()) << "needs the 64-bit prefix";
    ExpectViews({
        {L"hkey_local_machine\\software\\acme", false, L"hkey_local_machine\\software\\acme",
         KEY_WOW64_64KEY},
        {L"hkey_current_user\\software\\acme\\tool", false,
         L"hkey_current_user\\software\\acme\\tool", KEY_WOW64_64KEY},
        // The wow6432node keys are the wizard's own (32-bit) view.
        {L"hkey_local_machine\\software\\wow6432node\\acme", false,
         L"hkey_local_machine\\software\\acme", 0},
        {L"hkey_current_user\\software\\wow6432node\\a\\wow6432node\\b", false,
         L"hkey_current_user\\software\\a\\wow6432node\\b", 0},
        // Outside the software roots nothing changes.
        {L"hkey_users\\s-1-5-18\\software\\acme", false, L"hkey_users\\s-1-5-18\\software\\acme",
         0},
        {L"hkey_local_machine\\SOFTWARE\\acme", false, L"hkey_local_machine\\SOFTWARE\\acme", 0},
        {L"hkey_local_machine\\system", false, L"hkey_local_machine\\system", 0},
    });
}

TEST(RegistryPathsTest, Wow6432NodePathsAreAbsentOn32BitWindows) {
    ASSERT_FALSE(win32::IsWow64()) << "needs the 32-bit prefix";
    ExpectViews({
        {L"hkey_local_machine\\software\\acme", false, L"hkey_local_machine\\software\\acme", 0},
        {L"hkey_local_machine\\software\\wow6432node\\acme", true,
         L"hkey_local_machine\\software\\wow6432node\\acme", 0},
        {L"hkey_current_user\\software\\wow6432node\\acme", true,
         L"hkey_current_user\\software\\wow6432node\\acme", 0},
    });
}

TEST(RegistryPathsTest, ABareSoftwareRootIsAnError) {
    for (const wchar_t* path :
         {L"hkey_local_machine\\software\\", L"hkey_current_user\\software\\"}) {
        SCOPED_TRACE(Narrow(path));
        CString text = path;
        REGSAM view = KEY_READ;
        EXPECT_THROW(win32::SelectRegistryView(text, view), std::out_of_range);
    }
}

}  // namespace
