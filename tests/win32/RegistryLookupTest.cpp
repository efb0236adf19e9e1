#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "checks/PackageChecker.h"
#include "support/ScopedRegistryKeys.h"
#include "win32/ProcessArchitecture.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

struct KeyCase {
    const wchar_t* path;
    bool exists;
};

void ExpectKeys(const std::vector<KeyCase>& cases) {
    PackageChecker checker(10);
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(c.exists, checker.KeyExists(c.path));
    }
}

TEST(RegistryLookupTest, EachViewIsReachedThroughItsOwnPathOn64BitWindows) {
    ASSERT_TRUE(win32::IsWow64()) << "needs the 64-bit prefix";
    ScopedRegistryKeys keys;
    keys.CreateKey(HKEY_LOCAL_MACHINE, L"Software\\TallwickOnly64\\Tool", KEY_WOW64_64KEY);
    keys.CreateKey(HKEY_LOCAL_MACHINE, L"Software\\TallwickOnly32\\Tool", KEY_WOW64_32KEY);
    ExpectKeys({
        {L"hkey_local_machine\\software\\tallwickonly64\\tool", true},
        {L"hkey_local_machine\\software\\tallwickonly64", true},
        {L"hkey_local_machine\\software\\wow6432node\\tallwickonly64\\tool", false},
        {L"hkey_local_machine\\software\\tallwickonly32\\tool", false},
        {L"hkey_local_machine\\software\\wow6432node\\tallwickonly32\\tool", true},
        {L"hkey_local_machine\\software\\tallwickonly64\\missing", false},
        // The cached names are lower case and compared exactly.
        {L"hkey_local_machine\\software\\TallwickOnly64\\tool", false},
        // Outside the lower-case software prefixes: opened directly, default view.
        {L"hkey_local_machine\\SOFTWARE\\TallwickOnly32\\Tool", true},
        {L"hkey_local_machine\\SOFTWARE\\TallwickOnly64\\Tool", false},
        {L"hkey_users\\.default", true},
        {L"hkey_users\\no-such-user", false},
    });
}

TEST(RegistryLookupTest, OneViewOn32BitWindows) {
    ASSERT_FALSE(win32::IsWow64()) << "needs the 32-bit prefix";
    ScopedRegistryKeys keys;
    keys.CreateKey(HKEY_LOCAL_MACHINE, L"Software\\TallwickOnly\\Tool");
    ExpectKeys({
        {L"hkey_local_machine\\software\\tallwickonly\\tool", true},
        {L"hkey_local_machine\\software\\wow6432node\\tallwickonly\\tool", false},
        {L"hkey_local_machine\\SOFTWARE\\TallwickOnly\\Tool", true},
    });
}

TEST(RegistryLookupTest, TheFirstComponentBelowSoftwareIsListedOncePerRun) {
    ScopedRegistryKeys keys;
    keys.CreateKey(HKEY_CURRENT_USER, L"Software\\TallwickCached\\Old");
    PackageChecker checker(10);
    EXPECT_FALSE(checker.KeyExists(L"hkey_current_user\\software\\tallwicklate"));
    EXPECT_FALSE(checker.KeyExists(L"hkey_current_user\\software\\tallwickcached\\new"));

    keys.CreateKey(HKEY_CURRENT_USER, L"Software\\TallwickLate");
    keys.CreateKey(HKEY_CURRENT_USER, L"Software\\TallwickCached\\New");
    // A new key directly below Software stays unseen for the rest of the run;
    // deeper keys are opened afresh.
    EXPECT_FALSE(checker.KeyExists(L"hkey_current_user\\software\\tallwicklate"));
    EXPECT_TRUE(checker.KeyExists(L"hkey_current_user\\software\\tallwickcached\\new"));
    PackageChecker nextRun(10);
    EXPECT_TRUE(nextRun.KeyExists(L"hkey_current_user\\software\\tallwicklate"));
}

TEST(RegistryLookupTest, ValuesReadAsTextFromEitherView) {
    ScopedRegistryKeys keys;
    const bool system64 = win32::IsWow64();
    const REGSAM native = system64 ? KEY_WOW64_64KEY : 0;
    keys.SetDword(HKEY_LOCAL_MACHINE, L"Software\\TallwickValues", L"Max", 4294967295u, native);
    keys.SetQword(HKEY_LOCAL_MACHINE, L"Software\\TallwickValues", L"Big", 18446744073709551615ull,
                  native);
    keys.SetString(HKEY_LOCAL_MACHINE, L"Software\\TallwickValues", L"Expand", L"x", native,
                   REG_EXPAND_SZ);
    keys.SetString(HKEY_LOCAL_MACHINE, L"Software\\TallwickValues", L"Own", L"Default View", 0);

    struct Case {
        const wchar_t* root;
        const wchar_t* subKey;
        const wchar_t* name;
        bool found;
        const wchar_t* text;
    } cases[] = {
        {L"hkey_local_machine", L"software\\tallwickvalues", L"Max", true, L"4294967295"},
        {L"hkey_local_machine", L"software\\tallwickvalues", L"Big", true, L"18446744073709551615"},
        {L"hkey_local_machine", L"software\\tallwickvalues", L"Own", true, L"Default View"},
        {L"hkey_local_machine", L"software\\tallwickvalues", L"Expand", false, L"untouched"},
        {L"hkey_local_machine", L"software\\tallwickvalues", L"Missing", false, L"untouched"},
        {L"hkey_local_machine", L"software\\tallwicknothing", L"Max", false, L"untouched"},
        // Upper-case SOFTWARE: the default view only.
        {L"hkey_local_machine", L"SOFTWARE\\TallwickValues", L"Own", true, L"Default View"},
        {L"hkey_local_machine", L"SOFTWARE\\TallwickValues", L"Max", !system64,
         system64 ? L"untouched" : L"4294967295"},
    };
    PackageChecker checker(10);
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.subKey) + " " + Narrow(c.name));
        CString text = L"untouched";
        EXPECT_EQ(c.found, checker.ReadValueAsString(c.root, c.subKey, c.name, text));
        EXPECT_EQ(c.text, text.str());
    }
}

TEST(RegistryLookupTest, AShortRootNameIsAnError) {
    PackageChecker checker(10);
    CString text;
    EXPECT_THROW(checker.ReadValueAsString(L"hklm", L"software\\microsoft", L"x", text),
                 std::out_of_range);
}

}  // namespace
