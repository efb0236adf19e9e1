#include <windows.h>

#include <gtest/gtest.h>

#include "config/ConfigurationManager.h"
#include "config/PathMacros.h"
#include "config/TempFolderGuard.h"
#include "win32/ProcessArchitecture.h"

namespace {

std::wstring Show(const CString& text) {
    return text.str();
}

}  // namespace

TEST(PathMacrosOn64BitWindows, CommonPfIsThe64BitProgramFilesFolder) {
    ASSERT_TRUE(win32::IsWow64()) << "expected a 64-bit Wine prefix";
    const PathMacroTable macros = BuildPathMacros();

    EXPECT_EQ(macros.at(L"commonpf"), L"{commonpf64}");
    EXPECT_EQ(macros.at(L"commonpf64"), L"C:\\Program Files");
    EXPECT_EQ(macros.at(L"commonpf32"), L"C:\\Program Files (x86)");

    const struct {
        const wchar_t* path;
        const wchar_t* expected;
    } cases[] = {
        {L"{commonpf}\\Vendor\\app.exe", L"C:\\Program Files\\Vendor\\app.exe"},
        {L"{commonpf64}\\Vendor\\app.exe", L"C:\\Program Files\\Vendor\\app.exe"},
        {L"{commonpf32}\\Vendor\\app.exe", L"C:\\Program Files (x86)\\Vendor\\app.exe"},
        {L"{programdata}\\x", L"C:\\ProgramData\\x"},
        {L"{LocalAppData}\\x", L"{LocalAppData}\\x"},
        {L"{windir}\\x", L"{windir}\\x"},
        {L"{commonpf", L"{commonpf"},
        {L"no macros", L"no macros"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)));
        EXPECT_EQ(Show(ExpandPathMacros(c.path, macros)), c.expected);
    }
}

TEST(PathMacrosOn64BitWindows, EveryOccurrenceOfAMacroIsReplaced) {
    const PathMacroTable macros = BuildPathMacros();
    const CString local = macros.at(L"localappdata");
    ASSERT_EQ(local.Right(14), L"\\AppData\\Local");
    EXPECT_EQ(macros.at(L"commonappdata").Right(16), L"\\AppData\\Roaming");

    EXPECT_EQ(Show(ExpandPathMacros(L"{localappdata}\\a;{localappdata}\\b", macros)),
              Show(local + L"\\a;" + local + L"\\b"));
}

TEST(PathMacrosOn64BitWindows, TableIsBuiltOnceAndIgnoresLaterEnvironmentChanges) {
    BuildConstants constants{"ISV", false, L"https://localhost", L""};
    ConfigurationManager config(constants);
    TempFolderGuard guard(config.workFolder);

    EXPECT_FALSE(config.pathMacrosBuilt);
    const PathMacroTable first = config.GetPathMacros();
    EXPECT_TRUE(config.pathMacrosBuilt);

    ScopedEnvironmentVariable changed(L"ProgramW6432", L"D:\\Elsewhere");
    EXPECT_EQ(config.GetPathMacros(), first);
    EXPECT_EQ(BuildPathMacros().at(L"commonpf64"), L"D:\\Elsewhere");
}

TEST(PathMacrosOn64BitWindows, ExpansionUsesTheConfigurationsTable) {
    EXPECT_EQ(Show(ExpandPathMacros(L"{commonpf}\\Vendor")), L"C:\\Program Files\\Vendor");
    TempFolderGuard::Remove(ConfigurationManager::GetInstance()->workFolder);
}

TEST(PathMacrosOn32BitWindows, CommonPfIsTheOnlyProgramFilesFolder) {
    ASSERT_FALSE(win32::IsWow64()) << "expected a 32-bit Wine prefix";
    const PathMacroTable macros = BuildPathMacros();

    EXPECT_EQ(macros.count(L"commonpf64"), 0u);
    EXPECT_EQ(Show(ExpandPathMacros(L"{commonpf}\\Vendor\\app.exe", macros)),
              L"C:\\Program Files\\Vendor\\app.exe");
    EXPECT_EQ(Show(ExpandPathMacros(L"{commonpf32}\\Vendor\\app.exe", macros)),
              L"C:\\Program Files\\Vendor\\app.exe");
    EXPECT_EQ(Show(ExpandPathMacros(L"{commonpf64}\\Vendor\\app.exe", macros)),
              L"{commonpf64}\\Vendor\\app.exe");
}
