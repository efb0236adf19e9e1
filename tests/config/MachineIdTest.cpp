#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/ConfigurationManager.h"
#include "config/MachineId.h"
#include "config/TempFolderGuard.h"
#include "win32/ProcessArchitecture.h"

namespace {

const wchar_t kCryptographyKey[] = L"SOFTWARE\\Microsoft\\Cryptography";

std::optional<std::wstring> ReadGuid(REGSAM view) {
    wchar_t buffer[256] = {};
    DWORD size = sizeof(buffer);
    DWORD flags =
        RRF_RT_REG_SZ | (view == KEY_WOW64_64KEY ? RRF_SUBKEY_WOW6464KEY : RRF_SUBKEY_WOW6432KEY);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kCryptographyKey, L"MachineGuid", flags, nullptr, buffer,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer);
}

void WriteGuid(REGSAM view, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kCryptographyKey, 0, nullptr, 0,
                              KEY_SET_VALUE | view, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"MachineGuid", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void DeleteGuid(REGSAM view) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kCryptographyKey, L"MachineGuid");  // default view
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCryptographyKey, 0, KEY_SET_VALUE | view, &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(key, L"MachineGuid");
        RegCloseKey(key);
    }
}

// Puts both registry views' MachineGuid back as they were, whatever a test did.
class MachineGuidFixture : public testing::Test {
protected:
    void SetUp() override {
        original64 = ReadGuid(KEY_WOW64_64KEY);
        original32 = ReadGuid(KEY_WOW64_32KEY);
        ASSERT_TRUE(original64.has_value()) << "the prefix has no MachineGuid";
    }
    void TearDown() override {
        Restore(KEY_WOW64_32KEY, original32);
        Restore(KEY_WOW64_64KEY, original64);
    }
    static void Restore(REGSAM view, const std::optional<std::wstring>& value) {
        if (value) {
            WriteGuid(view, *value);
        } else {
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCryptographyKey, 0, KEY_SET_VALUE | view,
                              &key) == ERROR_SUCCESS) {
                RegDeleteValueW(key, L"MachineGuid");
                RegCloseKey(key);
            }
        }
    }
    std::optional<std::wstring> original64;
    std::optional<std::wstring> original32;
};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

TEST_F(MachineGuidFixture, ReadsTheGuidOfThe64BitViewFromA32BitProcess) {
    ASSERT_TRUE(win32::IsWow64());
    // A different value in the 32-bit view must not be what the wizard reports.
    WriteGuid(KEY_WOW64_32KEY, L"00000000-1111-2222-3333-444444444444");

    const std::string id = ReadMachineId();
    EXPECT_EQ(id, Narrow(*original64));
    EXPECT_EQ(id.size(), 36u);
}

TEST_F(MachineGuidFixture, MissingGuidIsEmptyAndReadAgainOnTheNextCall) {
    BuildConstants constants{"ISV", false, L"https://localhost", L""};
    ConfigurationManager config(constants);
    TempFolderGuard guard(config.workFolder);

    DeleteGuid(KEY_WOW64_64KEY);
    ASSERT_FALSE(ReadGuid(KEY_WOW64_64KEY).has_value());
    EXPECT_EQ(config.GetMachineId(), "");
    EXPECT_EQ(config.machineId, "");

    WriteGuid(KEY_WOW64_64KEY, L"12345678-9abc-def0-1234-56789abcdef0");
    EXPECT_EQ(config.GetMachineId(), "12345678-9abc-def0-1234-56789abcdef0");

    // Once read, the value stays for the run.
    Restore(KEY_WOW64_64KEY, original64);
    EXPECT_EQ(config.GetMachineId(), "12345678-9abc-def0-1234-56789abcdef0");
}

TEST(MachineIdOn32BitWindows, ReadsTheOnlyRegistryView) {
    ASSERT_FALSE(win32::IsWow64()) << "expected a 32-bit Wine prefix";
    const auto guid = ReadGuid(0);
    ASSERT_TRUE(guid.has_value());
    EXPECT_EQ(ReadMachineId(), Narrow(*guid));
}
