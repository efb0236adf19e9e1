#include <windows.h>

#include <fstream>

#include "CheckerTest.h"
#include "config/PathMacros.h"
#include "framework/Clock.h"
#include "support/ScopedRegistryKeys.h"
#include "win32/ProcessArchitecture.h"

namespace {

using nlohmann::json;

struct RuleCase {
    const char* name;
    json ps;
    std::vector<std::string> verdicts;
};

// The keys the registry rules look at, written once for the suite: a key in
// the native view of HKLM, one in the 32-bit view only, and HKCU keys with
// values of each kind.
class RegistryRulesTest : public CheckerTest {
protected:
    static void SetUpTestSuite() {
        keys = new ScopedRegistryKeys;
        const REGSAM native = win32::IsWow64() ? KEY_WOW64_64KEY : 0;
        keys->CreateKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TallwickAcme", native);
        keys->CreateKey(HKEY_LOCAL_MACHINE, L"Software\\TallwickOld32\\Tool", KEY_WOW64_32KEY);
        keys->CreateKey(HKEY_CURRENT_USER, L"Software\\TallwickVendor\\Tool");
        const wchar_t data[] = L"Software\\TallwickData";
        keys->SetString(HKEY_CURRENT_USER, data, L"Channel", L"BETA");
        keys->SetString(HKEY_CURRENT_USER, data, L"ExpandChannel", L"BETA", 0, REG_EXPAND_SZ);
        keys->SetString(HKEY_CURRENT_USER, data, L"Present", L"x");
        keys->SetDword(HKEY_CURRENT_USER, data, L"Zero", 0);
        keys->SetDword(HKEY_CURRENT_USER, data, L"Sixteen", 16);
        keys->SetDword(HKEY_CURRENT_USER, data, L"Max", 4294967295u);
        keys->SetQword(HKEY_CURRENT_USER, data, L"Stamp", 5000000000ull);
    }
    static void TearDownTestSuite() {
        delete keys;
        keys = nullptr;
    }

    void ExpectVerdicts(const std::vector<RuleCase>& cases) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            service::Reset();
            const Outcome outcome = Evaluate(c.ps);
            EXPECT_EQ(c.verdicts.empty(), outcome.accepted);
            EXPECT_EQ(c.verdicts, outcome.verdicts);
        }
    }

    static ScopedRegistryKeys* keys;
};

ScopedRegistryKeys* RegistryRulesTest::keys = nullptr;

TEST_F(RegistryRulesTest, KeysThatMustBeAbsentOrOfWhichOneMustExist) {
    ExpectVerdicts({
        {"absent key exists", {{"r", {"hklm\\software\\tallwickacme"}}}, {"REGISTRY KEY EXISTS"}},
        {"rule in any letter case",
         {{"r", {"HKLM\\Software\\TallwickAcme"}}},
         {"REGISTRY KEY EXISTS"}},
        {"relative rule", {{"r", {"tallwickacme"}}}, {"REGISTRY KEY EXISTS"}},
        {"32-bit view only", {{"r", {"tallwickold32\\tool"}}}, {"REGISTRY KEY EXISTS"}},
        {"second entry exists",
         {{"r", {"tallwicknothing", "hkcu\\software\\tallwickvendor\\tool"}}},
         {"REGISTRY KEY EXISTS"}},
        {"no key exists", {{"r", {"tallwicknothing", "hklm\\software\\tallwickacme\\none"}}}, {}},
        // An empty entry ends the list.
        {"empty entry first", {{"r", {"", "tallwickacme"}}}, {}},
        {"empty entry first, ir",
         {{"ir", {"", "tallwickacme"}}},
         {"NONE OF THE REGISTRY KEYS EXISTS"}},
        {"one of ir exists", {{"ir", {"tallwicknothing", "tallwickvendor\\tool"}}}, {}},
        {"none of ir exists", {{"ir", {"tallwicknothing"}}}, {"NONE OF THE REGISTRY KEYS EXISTS"}},
    });
}

TEST_F(RegistryRulesTest, ValuesThatMustBeAbsent) {
    ExpectVerdicts({
        {"key without that value", {{"rvn", {"tallwickdata\\version"}}}, {}},
        {"value present", {{"rvn", {"tallwickdata\\present"}}}, {"REGISTRY VALUE EXISTS"}},
        {"value of any type",
         {{"rvn", {"hkcu\\software\\TallwickData\\Stamp"}}},
         {"REGISTRY VALUE EXISTS"}},
        {"missing key", {{"rvn", {"tallwicknothing\\present"}}}, {}},
        {"empty entry ends the list", {{"rvn", {"", "tallwickdata\\present"}}}, {}},
    });
}

TEST_F(RegistryRulesTest, ValueDataThatMustNotMatch) {
    ExpectVerdicts({
        {"text in other case",
         {{"rvd", {"tallwickdata\\channel\\beta"}}},
         {"REGISTRY VALUE DATA MATCHES"}},
        {"rule in other case",
         {{"rvd", {"TallwickData\\Channel\\BETA"}}},
         {"REGISTRY VALUE DATA MATCHES"}},
        {"other text", {{"rvd", {"tallwickdata\\channel\\bet"}}}, {}},
        {"expandable text is not read", {{"rvd", {"tallwickdata\\expandchannel\\beta"}}}, {}},
        {"hex data reads as 0",
         {{"rvd", {"tallwickdata\\zero\\0x10"}}},
         {"REGISTRY VALUE DATA MATCHES"}},
        {"hex data is not 16", {{"rvd", {"tallwickdata\\sixteen\\0x10"}}}, {}},
        {"blank and sign",
         {{"rvd", {"tallwickdata\\sixteen\\ +16"}}},
         {"REGISTRY VALUE DATA MATCHES"}},
        {"largest DWORD",
         {{"rvd", {"tallwickdata\\max\\4294967295"}}},
         {"REGISTRY VALUE DATA MATCHES"}},
        {"QWORD", {{"rvd", {"tallwickdata\\stamp\\5000000000"}}}, {"REGISTRY VALUE DATA MATCHES"}},
        {"missing value", {{"rvd", {"tallwickdata\\nothing\\abc"}}}, {}},
        // Unlike the other lists, an empty entry is only skipped.
        {"empty entry skipped",
         {{"rvd", {"", "tallwickdata\\channel\\beta"}}},
         {"REGISTRY VALUE DATA MATCHES"}},
    });
}

TEST_F(RegistryRulesTest, TheFirstBrokenRegistryRuleReports) {
    ExpectVerdicts({
        {"r before rvd",
         {{"r", {"tallwickacme"}}, {"rvd", {"tallwickdata\\channel\\beta"}}},
         {"REGISTRY KEY EXISTS"}},
        {"ir before rvn",
         {{"ir", {"tallwicknothing"}}, {"rvn", {"tallwickdata\\present"}}},
         {"NONE OF THE REGISTRY KEYS EXISTS"}},
        {"rvn before rvd",
         {{"rvn", {"tallwickdata\\present"}}, {"rvd", {"tallwickdata\\channel\\beta"}}},
         {"REGISTRY VALUE EXISTS"}},
    });
}

class FileRulesTest : public CheckerTest {};

TEST_F(FileRulesTest, FilesThatMustBeAbsentOrOfWhichOneMustExist) {
    const std::string folder =
        WideToNarrow(ExpandPathMacros(L"{localappdata}")) + "\\TallwickFiles";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string file = folder + "\\present.txt";
    std::ofstream(file) << "x";
    struct Case {
        const char* name;
        json ps;
        Verdicts verdicts;
    } cases[] = {
        {"file present", {{"fe", {"C:\\nothing.txt", file}}}, {"FILE EXISTS"}},
        {"folder present", {{"fe", {folder}}}, {"FILE EXISTS"}},
        {"macro expanded",
         {{"fe", {"{localappdata}\\TallwickFiles\\present.txt"}}},
         {"FILE EXISTS"}},
        {"unknown macro names nothing", {{"fe", {"{nosuchfolder}\\present.txt"}}}, {}},
        {"none present",
         {{"ife", {"C:\\nothing.txt", "C:\\nothing\\"}}},
         {"NONE OF THE FILES EXISTS"}},
        {"one present", {{"ife", {"C:\\nothing.txt", file}}}, {}},
        {"fe before ife", {{"fe", {file}}, {"ife", {"C:\\nothing.txt"}}}, {"FILE EXISTS"}},
        {"no rules", {{"fe", json::array()}, {"ife", json::array()}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service::Reset();
        const Outcome outcome = Evaluate(c.ps);
        EXPECT_EQ(c.verdicts.empty(), outcome.accepted);
        EXPECT_EQ(c.verdicts, outcome.verdicts);
    }
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
}

// The recorded uninstall time against a pinned "now".
class UninstallTimeTest : public CheckerTest {
protected:
    void SetUp() override {
        CheckerTest::SetUp();
        previousClock = SetClockSource([] { return kNow; });
    }
    void TearDown() override { SetClockSource(previousClock); }

    static json Record(int32_t days, bool milliseconds = false,
                       const char* root = "hkey_current_user") {
        json record = {{"utr", root},
                       {"utk", "Software\\TallwickUninstall"},
                       {"utvn", "When"},
                       {"utvt", "REG_QWORD"},
                       {"umd", days}};
        if (milliseconds) {
            record["utms"] = true;
        }
        return record;
    }

    static constexpr std::time_t kNow = 1800000000;
    static constexpr uint64_t kDay = 86400;
    std::function<std::time_t()> previousClock;
};

TEST_F(UninstallTimeTest, TooFewDaysSinceTheRecordedTimeReject) {
    const uint64_t now = kNow;
    struct Case {
        const char* name;
        std::function<void(ScopedRegistryKeys&)> store;
        json cmdu;
        bool rejects;
    } cases[] = {
        {"29 days ago",
         [&](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When",
                        now - 29 * kDay);
         },
         json::array({Record(30)}), true},
        {"31 days ago",
         [&](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When",
                        now - 31 * kDay);
         },
         json::array({Record(30)}), false},
        {"exactly 30 days ago",
         [&](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When",
                        now - 30 * kDay);
         },
         json::array({Record(30)}), false},
        {"in the future",
         [&](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When", now + kDay);
         },
         json::array({Record(0)}), true},
        {"no value", [](ScopedRegistryKeys&) {}, json::array({Record(30)}), false},
        {"milliseconds, 29 days ago",
         [&](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When",
                        (now - 29 * kDay) * 1000 + 999);
         },
         json::array({Record(30, true)}), true},
        {"milliseconds, 31 days ago",
         [&](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When",
                        (now - 31 * kDay) * 1000);
         },
         json::array({Record(30, true)}), false},
        {"seconds as text",
         [&](ScopedRegistryKeys& k) {
             k.SetString(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When",
                         std::to_wstring(now - 29 * kDay));
         },
         json::array({Record(30)}), true},
        {"seconds as DWORD",
         [&](ScopedRegistryKeys& k) {
             k.SetDword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When",
                        static_cast<uint32_t>(now - 29 * kDay));
         },
         json::array({Record(30)}), true},
        {"in the 32-bit view of HKLM",
         [&](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_LOCAL_MACHINE, L"Software\\TallwickUninstall", L"When",
                        now - 29 * kDay, KEY_WOW64_32KEY);
         },
         json::array({Record(30, false, "HKEY_LOCAL_MACHINE")}), true},
        {"second record rejects",
         [&](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When",
                        now - 29 * kDay);
         },
         json::array({Record(10), Record(30)}), true},
        // A waiting time of 82 years does not wrap around to a past date.
        {"30000 days",
         [&](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When", now - kDay);
         },
         json::array({Record(30000)}), true},
        // The last representable time lies in the future, not in 1970.
        {"end of time",
         [](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When",
                        18446744073709551615ull);
         },
         json::array({Record(1)}), true},
        // Negative days move the threshold back, never past the epoch.
        {"negative days",
         [](ScopedRegistryKeys& k) {
             k.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickUninstall", L"When", 0);
         },
         json::array({Record(-1)}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service::Reset();
        ScopedRegistryKeys keys;
        c.store(keys);
        const Outcome outcome = Evaluate({{"cmdu", c.cmdu}});
        EXPECT_EQ(!c.rejects, outcome.accepted);
        EXPECT_EQ(c.rejects ? Verdicts{"MIN DAYS UNINSTALL CHECKER"} : Verdicts{},
                  outcome.verdicts);
    }
}

}  // namespace
