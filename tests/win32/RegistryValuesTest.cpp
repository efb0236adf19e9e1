#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/ScopedRegistryKeys.h"
#include "win32/RegistryError.h"
#include "win32/RegistryKey.h"
#include "win32/RegistryValues.h"

namespace {

const wchar_t kKey[] = L"Software\\TallwickTest\\Values";

// One key in this process's default view holding a value of each kind.
class RegistryValuesTest : public testing::Test {
protected:
    void SetUp() override {
        keys.SetString(HKEY_CURRENT_USER, kKey, L"Text", L"Hello");
        keys.SetRaw(HKEY_CURRENT_USER, kKey, L"Empty", REG_SZ, L"", 0);
        keys.SetString(HKEY_CURRENT_USER, kKey, L"Expand", L"%TEMP%", 0, REG_EXPAND_SZ);
        keys.SetString(HKEY_CURRENT_USER, kKey, L"Multi", L"a", 0, REG_MULTI_SZ);
        keys.SetDword(HKEY_CURRENT_USER, kKey, L"Number", 4294967295u);
        keys.SetQword(HKEY_CURRENT_USER, kKey, L"Big", 18446744073709551615ull);
        keys.SetString(HKEY_CURRENT_USER, kKey, L"", L"default");
        key = win32::OpenRegistryKey(HKEY_CURRENT_USER, kKey, KEY_READ);
    }

    ScopedRegistryKeys keys;
    win32::UniqueRegKey key;
};

template <typename Call>
void ExpectRegistryError(const char* what, Call call, const char* message, LONG code) {
    SCOPED_TRACE(what);
    try {
        call();
        ADD_FAILURE() << "no RegistryError: " << message;
    } catch (const win32::RegistryError& error) {
        EXPECT_STREQ(message, error.what());
        EXPECT_EQ(code, error.Code());
    }
}

TEST_F(RegistryValuesTest, ReportsExistenceAndTypeOfEachValue) {
    struct Case {
        const wchar_t* name;
        bool exists;
        DWORD type;
    } cases[] = {
        {L"Text", true, REG_SZ},
        {L"Empty", true, REG_SZ},
        {L"Expand", true, REG_EXPAND_SZ},
        {L"Multi", true, REG_MULTI_SZ},
        {L"Number", true, REG_DWORD},
        {L"Big", true, REG_QWORD},
        {L"", true, REG_SZ},
        {L"Missing", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        EXPECT_EQ(c.exists, win32::ValueExists(key.get(), c.name));
        EXPECT_EQ(c.type, win32::GetValueType(key.get(), c.name));
    }
}

TEST_F(RegistryValuesTest, ReadsTextAndNumbersOfTheirOwnTypeOnly) {
    EXPECT_EQ(L"Hello", win32::ReadStringValue(key.get(), L"", L"Text").str());
    EXPECT_EQ(L"", win32::ReadStringValue(key.get(), L"", L"Empty").str());
    EXPECT_EQ(L"default", win32::ReadStringValue(key.get(), L"", L"").str());
    EXPECT_EQ(4294967295u, win32::ReadDwordValue(key.get(), L"Number"));
    EXPECT_EQ(18446744073709551615ull, win32::ReadQwordValue(key.get(), L"Big"));

    // Through a sub-key of an open parent.
    win32::UniqueRegKey parent =
        win32::OpenRegistryKey(HKEY_CURRENT_USER, L"Software\\TallwickTest", KEY_READ);
    EXPECT_EQ(L"Hello", win32::ReadStringValue(parent.get(), L"Values", L"Text").str());

    ExpectRegistryError(
        "expandable text", [&] { win32::ReadStringValue(key.get(), L"", L"Expand"); },
        "Cannot read string from registry", ERROR_UNSUPPORTED_TYPE);
    ExpectRegistryError(
        "multi-string", [&] { win32::ReadStringValue(key.get(), L"", L"Multi"); },
        "Cannot read string from registry", ERROR_UNSUPPORTED_TYPE);
    ExpectRegistryError(
        "missing value", [&] { win32::ReadStringValue(key.get(), L"", L"Missing"); },
        "Cannot read string from registry", ERROR_FILE_NOT_FOUND);
    ExpectRegistryError(
        "QWORD as DWORD", [&] { win32::ReadDwordValue(key.get(), L"Big"); },
        "Cannot read DWORD from registry.", ERROR_UNSUPPORTED_TYPE);
    ExpectRegistryError(
        "DWORD as QWORD", [&] { win32::ReadQwordValue(key.get(), L"Number"); },
        "Cannot read QWORD from registry.", ERROR_UNSUPPORTED_TYPE);
}

TEST_F(RegistryValuesTest, ListsSubkeysInLowerCase) {
    keys.CreateKey(HKEY_CURRENT_USER, L"Software\\TallwickTest\\Values\\Alpha");
    keys.CreateKey(HKEY_CURRENT_USER, L"Software\\TallwickTest\\Values\\BETA");
    keys.CreateKey(HKEY_CURRENT_USER, L"Software\\TallwickTest\\Values\\gamma.Exe");
    win32::UniqueRegKey reopened = win32::OpenRegistryKey(HKEY_CURRENT_USER, kKey, KEY_READ);
    std::vector<std::wstring> names;
    for (const CString& name : win32::EnumerateSubkeys(reopened.get())) {
        names.push_back(name.str());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::wstring>{L"alpha", L"beta", L"gamma.exe"}), names);
}

TEST_F(RegistryValuesTest, FailingCallsCarryTheirStatus) {
    ExpectRegistryError(
        "missing key",
        [] {
            (void)win32::OpenRegistryKey(HKEY_CURRENT_USER, L"Software\\TallwickTest\\Nope",
                                         KEY_READ);
        },
        "Cannot open registry key: RegOpenKeyEx failed.", ERROR_FILE_NOT_FOUND);
    // A key deleted while it is open can no longer be listed.
    keys.CreateKey(HKEY_CURRENT_USER, L"Software\\TallwickTest\\Values\\Doomed");
    win32::UniqueRegKey doomed = win32::OpenRegistryKey(
        HKEY_CURRENT_USER, L"Software\\TallwickTest\\Values\\Doomed", KEY_READ);
    ASSERT_EQ(ERROR_SUCCESS,
              RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TallwickTest\\Values\\Doomed"));
    ExpectRegistryError(
        "deleted key", [&] { win32::EnumerateSubkeys(doomed.get()); },
        "RegQueryInfoKey failed while preparing for subkey enumeration.", ERROR_KEY_DELETED);
}

}  // namespace
