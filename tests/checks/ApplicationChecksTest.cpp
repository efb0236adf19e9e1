#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <functional>

#include "CheckerTest.h"
#include "config/PathMacros.h"
#include "support/RunningProgram.h"
#include "support/ScopedRegistryKeys.h"
#include "win32/ProcessArchitecture.h"

namespace {

using nlohmann::json;

const wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

class ApplicationChecksTest : public CheckerTest {};

TEST_F(ApplicationChecksTest, ProgramsThatMustNotRun) {
    struct Rule {
        json a;
        bool rejects;
    };
    struct Case {
        const wchar_t* running;
        std::vector<Rule> rules;
    } cases[] = {
        {L"chrome.exe",
         {{{"chrome"}, true},
          {{"Chrome.EXE"}, true},
          {{"chrom"}, false},
          {{"other.exe", "chrome.exe"}, true}}},
        // A process name with more dots loses its last part only.
        {L"chrome.exe.bak", {{{"chrome.exe"}, true}, {{"chrome"}, false}}},
        {L"my.app.exe", {{{"my.app"}, true}}},
        {L"x.y.z", {{{"x"}, false}, {{"x.y"}, true}}},
    };
    for (const auto& c : cases) {
        RunningProgram program(c.running);
        for (const auto& rule : c.rules) {
            SCOPED_TRACE(WideToNarrow(c.running) + " " + rule.a.dump());
            service::Reset();
            const Outcome outcome = Evaluate({{"a", rule.a}});
            EXPECT_EQ(!rule.rejects, outcome.accepted);
            EXPECT_EQ(rule.rejects ? Verdicts{"APPLICATION RUNNING"} : Verdicts{},
                      outcome.verdicts);
        }
    }
}

TEST_F(ApplicationChecksTest, TheProcessListIsTakenOncePerRun) {
    PackageChecker checker(10);
    EXPECT_TRUE(Run(checker, Offer("before", {{"v", 1}, {"a", {"tallwicklate.exe"}}})).accepted);
    RunningProgram program(L"tallwicklate.exe");
    EXPECT_TRUE(Run(checker, Offer("same-run", {{"v", 2}, {"a", {"tallwicklate.exe"}}})).accepted);
    PackageChecker nextRun(10);
    EXPECT_EQ(Verdicts{"APPLICATION RUNNING"},
              Run(nextRun, Offer("next-run", {{"v", 1}, {"a", {"tallwicklate.exe"}}})).verdicts);
}

TEST_F(ApplicationChecksTest, ApplicationsRegisteredUnderAppPaths) {
    const std::wstring existing = TestProgramFolder() + L"idle_program.exe";
    const std::wstring paths = kAppPaths;
    ScopedRegistryKeys keys;
    keys.SetString(HKEY_LOCAL_MACHINE, paths + L"TallwickFox.exe", L"", existing);
    keys.SetString(HKEY_CURRENT_USER, paths + L"TallwickUser.exe", L"", existing);
    keys.SetString(HKEY_LOCAL_MACHINE, paths + L"TallwickEmpty.exe", L"", L"");
    keys.SetString(HKEY_LOCAL_MACHINE, paths + L"TallwickDeleted.exe", L"", L"C:\\gone\\x.exe");
    keys.CreateKey(HKEY_LOCAL_MACHINE, paths + L"TallwickNoDefault.exe");
    const bool system64 = win32::IsWow64();
    if (system64) {
        keys.SetString(HKEY_LOCAL_MACHINE, paths + L"TallwickNative.exe", L"", existing,
                       KEY_WOW64_64KEY);
    }
    struct Case {
        const char* name;
        json ps;
        Verdicts verdicts;
    } cases[] = {
        {"installed", {{"iapp", {"tallwickfox.exe"}}}, {}},
        {"only lower-case names are found",
         {{"iapp", {"TallwickFox.exe"}}},
         {"REGISTRY INCLUDE APP NOT FOUND"}},
        {"per user", {{"iapp", {"tallwickuser.exe"}}}, {}},
        {"all must be installed",
         {{"iapp", {"tallwickfox.exe", "tallwickmissing.exe"}}},
         {"REGISTRY INCLUDE APP NOT FOUND"}},
        {"registrations without an existing file",
         {{"eapp", {"tallwickempty.exe", "tallwickdeleted.exe", "tallwicknodefault.exe"}}},
         {}},
        {"excluded and installed",
         {{"eapp", {"tallwickmissing.exe", "tallwickfox.exe"}}},
         {"REGISTRY EXCLUDE APP FOUND"}},
        {"iapp before eapp",
         {{"iapp", {"tallwickmissing.exe"}}, {"eapp", {"tallwickfox.exe"}}},
         {"REGISTRY INCLUDE APP NOT FOUND"}},
        {"native view on 64-bit Windows",
         {{"iapp", {"tallwicknative.exe"}}},
         system64 ? Verdicts{} : Verdicts{"REGISTRY INCLUDE APP NOT FOUND"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service::Reset();
        const Outcome outcome = Evaluate(c.ps);
        EXPECT_EQ(c.verdicts.empty(), outcome.accepted);
        EXPECT_EQ(c.verdicts, outcome.verdicts);
    }
}

// A chrome.exe in a folder of its own, removed with the folder at the end.
class ChromeFile {
public:
    explicit ChromeFile(const std::wstring& folder) : folder(folder) {
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        std::ofstream(Path().c_str()) << "MZ";
    }
    ~ChromeFile() {
        DeleteFileW(Path().c_str());
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring Path() const { return folder + L"\\chrome.exe"; }

private:
    std::wstring folder;
};

TEST_F(ApplicationChecksTest, ChromeFromEachPlaceItCanBeFoundIn) {
    const std::wstring localAppData = ExpandPathMacros(L"{localappdata}").str();
    const std::wstring programFiles = ExpandPathMacros(L"{commonpf}").str();
    const std::wstring elsewhere = localAppData + L"\\TallwickElsewhere";
    using Setup = std::function<void(std::unique_ptr<ChromeFile>&, ScopedRegistryKeys&)>;
    struct Case {
        const char* name;
        Setup setup;
        bool found;
    } cases[] = {
        {"nowhere", [](auto&, auto&) {}, false},
        {"Chromium per user",
         [&](auto& file, auto&) {
             file = std::make_unique<ChromeFile>(localAppData + L"\\Chromium\\Application");
         },
         true},
        {"Chrome in Program Files",
         [&](auto& file, auto&) {
             file = std::make_unique<ChromeFile>(programFiles + L"\\GoogleChrome\\Application");
         },
         true},
        {"App Paths folder",
         [&](auto& file, auto& keys) {
             file = std::make_unique<ChromeFile>(elsewhere);
             keys.SetString(HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"chrome.exe", L"Path",
                            elsewhere);
         },
         true},
        {"beacon path",
         [&](auto& file, auto& keys) {
             file = std::make_unique<ChromeFile>(elsewhere);
             keys.SetString(HKEY_CURRENT_USER, L"SOFTWARE\\Google\\Chrome\\BLBeacon", L"Path",
                            file->Path());
         },
         true},
        {"beacon path of a removed file",
         [&](auto&, auto& keys) {
             keys.SetString(HKEY_CURRENT_USER, L"SOFTWARE\\Google\\Chrome\\BLBeacon", L"Path",
                            elsewhere + L"\\chrome.exe");
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedRegistryKeys keys;
        std::unique_ptr<ChromeFile> file;
        c.setup(file, keys);
        struct Wanted {
            const char* name;
            json ps;
            bool requires;
            bool excludes;
            Verdicts verdicts;
        } wanted[] = {
            {"required", json::object(), true, false, c.found ? Verdicts{} : Verdicts{"NO CHROME"}},
            {"excluded", json::object(), false, true,
             c.found ? Verdicts{"HAVE CHROME"} : Verdicts{}},
            {"both", json::object(), true, true, {c.found ? "HAVE CHROME" : "NO CHROME"}},
            // The response sets these through its presets.
            {"preset 2", {{"x", 2}}, false, false, c.found ? Verdicts{} : Verdicts{"NO CHROME"}},
            {"preset 12", {{"x", 12}}, false, false, c.found ? Verdicts{} : Verdicts{"NO CHROME"}},
            {"preset 13",
             {{"x", 13}},
             false,
             false,
             c.found ? Verdicts{"HAVE CHROME"} : Verdicts{}},
        };
        for (const auto& w : wanted) {
            SCOPED_TRACE(w.name);
            service::Reset();
            auto offer = Offer("chrome", w.ps);
            offer->requiresChrome = offer->requiresChrome || w.requires;
            offer->excludesChrome = offer->excludesChrome || w.excludes;
            const Outcome outcome = Evaluate(offer);
            EXPECT_EQ(w.verdicts.empty(), outcome.accepted);
            EXPECT_EQ(w.verdicts, outcome.verdicts);
        }
    }
}

TEST_F(ApplicationChecksTest, InternetExplorerFromVersion9) {
    const wchar_t key[] = L"SOFTWARE\\Microsoft\\Internet Explorer";
    struct Case {
        const char* name;
        std::function<void(ScopedRegistryKeys&)> setup;
        bool old;
    } cases[] = {
        {"the prefix's own", [](auto&) {}, false},
        {"9.11.19041.0",
         [&](auto& k) { k.SetString(HKEY_LOCAL_MACHINE, key, L"Version", L"9.11.19041.0"); },
         false},
        {"8.0.7601.17514",
         [&](auto& k) { k.SetString(HKEY_LOCAL_MACHINE, key, L"Version", L"8.0.7601.17514"); },
         true},
        {"8.99", [&](auto& k) { k.SetString(HKEY_LOCAL_MACHINE, key, L"Version", L"8.99"); }, true},
        {"9", [&](auto& k) { k.SetString(HKEY_LOCAL_MACHINE, key, L"Version", L"9"); }, false},
        {"a number", [&](auto& k) { k.SetDword(HKEY_LOCAL_MACHINE, key, L"Version", 8); }, true},
        {"no value", [&](auto& k) { k.RemoveValue(HKEY_LOCAL_MACHINE, key, L"Version"); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedRegistryKeys keys;
        c.setup(keys);
        service::Reset();
        auto offer = Offer("ie", json::object());
        offer->checksIeVersion = true;
        const Outcome outcome = Evaluate(offer);
        EXPECT_EQ(!c.old, outcome.accepted);
        EXPECT_EQ(c.old ? Verdicts{"OLD IE VERSION"} : Verdicts{}, outcome.verdicts);
    }
}

}  // namespace
