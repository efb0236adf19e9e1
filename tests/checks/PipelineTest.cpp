#include <set>
#include <stdexcept>

#include "CheckerTest.h"
#include "framework/Clock.h"
#include "support/ScopedRegistryKeys.h"
#include "win32/ProcessArchitecture.h"

namespace {

using nlohmann::json;

class PipelineTest : public CheckerTest {};

TEST_F(PipelineTest, RulesBetweenOffers) {
    struct Step {
        json ps;
        bool accepted;
        bool limitReached;
        Verdicts verdicts;
    };
    struct Scenario {
        const char* name;
        int32_t maxOffers;
        std::vector<Step> steps;
        int32_t acceptedCount;
        std::set<int32_t> verticals;
    } scenarios[] = {
        {"no offer allowed", 0, {{{{"v", 1}}, false, true, {}}}, 0, {}},
        {"negative limit", -3, {{{{"v", 1}}, false, true, {}}}, 0, {}},
        {"limit of two",
         2,
         {{{{"v", 1}}, true, false, {}},
          {{{"v", 2}}, true, false, {}},
          {{{"v", 3}}, false, true, {}}},
         2,
         {1, 2}},
        {"two offers without vertical",
         5,
         {{json::object(), true, false, {}},
          {json::object(), false, false, {"SAME VERTICAL OFFER ALREADY PRESENT"}}},
         1,
         {0}},
        {"two offers of vertical -1, then vertical 0",
         5,
         {{{{"v", -1}}, true, false, {}},
          {{{"v", -1}}, false, false, {"MULTIPLE OFFERS W/O VERTICAL"}},
          {{{"v", 0}}, true, false, {}}},
         2,
         {-1, 0}},
        {"exclusive offer first", 5, {{{{"v", 1}, {"exc", true}}, true, false, {}}}, 1, {1}},
        {"exclusive offer after another",
         5,
         {{{{"v", 1}}, true, false, {}},
          {{{"v", 2}, {"exc", true}},
           false,
           false,
           {"EXCLUSIVE, BUT ANOTHER OFFER ALREADY PRESENT"}},
          {{{"v", 3}}, true, false, {}}},
         2,
         {1, 3}},
        {"limit before vertical, unreported",
         1,
         {{{{"v", 1}}, true, false, {}}, {{{"v", 1}}, false, true, {}}},
         1,
         {1}},
        {"vertical before exclusivity",
         5,
         {{{{"v", 1}}, true, false, {}},
          {{{"v", 1}, {"exc", true}}, false, false, {"SAME VERTICAL OFFER ALREADY PRESENT"}}},
         1,
         {1}},
        {"rules between offers before machine checks",
         5,
         {{{{"v", 1}}, true, false, {}},
          {{{"v", 1}, {"ov", 64}}, false, false, {"SAME VERTICAL OFFER ALREADY PRESENT"}}},
         1,
         {1}},
    };
    for (const auto& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        service::Reset();
        PackageChecker checker(scenario.maxOffers);
        int index = 0;
        for (const auto& step : scenario.steps) {
            SCOPED_TRACE(index);
            Outcome outcome = Run(checker, Offer("offer-" + std::to_string(index++), step.ps));
            EXPECT_EQ(step.accepted, outcome.accepted);
            EXPECT_EQ(step.limitReached, outcome.limitReached);
            EXPECT_EQ(step.verdicts, outcome.verdicts);
        }
        EXPECT_EQ(scenario.acceptedCount, checker.GetAcceptedCount());
        EXPECT_EQ(scenario.verticals, checker.GetAcceptedVerticals());
    }
}

TEST_F(PipelineTest, LimitReachedIsNeverCleared) {
    PackageChecker checker(1);
    bool limitReached = true;
    EXPECT_TRUE(checker.Check(Offer("first", {{"v", 1}}), limitReached));
    EXPECT_TRUE(limitReached);
}

// Each step's failure, in pipeline order. The offer of step k breaks every
// rule from k on, so only the verdict of step k may arrive.
class StepOrderTest : public CheckerTest {
protected:
    void SetUp() override {
        CheckerTest::SetUp();
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        selfPath = WideToNarrow(self);
        selfName = selfPath.substr(selfPath.rfind('\\') + 1);
        const std::time_t now = CurrentTime();
        keys.SetString(HKEY_CURRENT_USER, L"Software\\TallwickOrder", L"Uninstalled",
                       std::to_wstring(now));
        keys.SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", L"Version",
                       L"8.0.7601.17514");
    }

    void ExpectOnlyTheEarliestVerdict(bool system64) {
        // The browser requirements have no key of their own: they are set
        // on the package, as a preset of the response would.
        struct Failure {
            json ps;
            const char* verdict;
            bool requiresChrome = false;
            bool checksIeVersion = false;
        };
        const json cmdu = json::array({{{"utr", "hkey_current_user"},
                                        {"utk", "software\\tallwickorder"},
                                        {"utvn", "uninstalled"},
                                        {"utvt", "REG_SZ"},
                                        {"umd", 30}}});
        std::vector<Failure> failures = {
            {{{"r", {"hklm\\software\\microsoft"}}}, "REGISTRY KEY EXISTS"},
            {{{"disk", 1ull << 40}}, "NOT ENOUGH DISK SPACE"},
            {{{"ram", 1ull << 40}}, "NOT ENOUGH RAM"},
            {{{"cpu", 4294967296ull}}, "NOT ENOUGH CPU"},
            {{{"ov", 64}}, "UNSUPPORTED OS VERSION"},
            {{{"pv", "999"}}, "UNSUPPORTED PLATFORM VERSION"},
            {{{"win64", true}}, "64 BIT OS REQUIRED"},
            {{{"fe", {selfPath}}}, "FILE EXISTS"},
            {{{"ife", {"C:\\tallwick-nothing-here.txt"}}}, "NONE OF THE FILES EXISTS"},
            {{{"a", {selfName}}}, "APPLICATION RUNNING"},
            {{{"iapp", {"tallwick-not-installed.exe"}}}, "REGISTRY INCLUDE APP NOT FOUND"},
            {{{"cmdu", cmdu}}, "MIN DAYS UNINSTALL CHECKER"},
            {json::object(), "NO CHROME", true},
            {json::object(), "OLD IE VERSION", false, true},
        };
        if (system64) {
            // A 64-bit system meets the requirement: the step cannot fail here.
            failures.erase(failures.begin() + 6);
        }
        // One checker for all: a rejected offer must not claim its vertical.
        PackageChecker checker(100);
        for (size_t first = 0; first < failures.size(); ++first) {
            SCOPED_TRACE(failures[first].verdict);
            json ps = {{"v", 7}};
            bool requiresChrome = false;
            bool checksIeVersion = false;
            for (size_t step = first; step < failures.size(); ++step) {
                ps.update(failures[step].ps);
                requiresChrome = requiresChrome || failures[step].requiresChrome;
                checksIeVersion = checksIeVersion || failures[step].checksIeVersion;
            }
            auto offer = Offer("step-" + std::to_string(first), ps);
            offer->requiresChrome = requiresChrome;
            offer->checksIeVersion = checksIeVersion;
            const Outcome outcome = Run(checker, offer);
            EXPECT_FALSE(outcome.accepted);
            EXPECT_FALSE(outcome.limitReached);
            EXPECT_EQ(Verdicts{failures[first].verdict}, outcome.verdicts);
            EXPECT_EQ(0, checker.GetAcceptedCount());
            EXPECT_TRUE(checker.GetAcceptedVerticals().empty());
        }
        const Outcome outcome = Run(checker, Offer("clean", {{"v", 7}, {"win64", system64}}));
        EXPECT_TRUE(outcome.accepted);
        EXPECT_TRUE(outcome.verdicts.empty());
        EXPECT_EQ(1, checker.GetAcceptedCount());
        EXPECT_EQ(std::set<int32_t>{7}, checker.GetAcceptedVerticals());
    }

    std::string selfPath;
    std::string selfName;
    ScopedRegistryKeys keys;
};

TEST_F(StepOrderTest, OnlyTheEarliestFailingStepReports) {
    ASSERT_TRUE(win32::IsWow64()) << "needs the 64-bit prefix";
    ExpectOnlyTheEarliestVerdict(true);
}

TEST_F(StepOrderTest, OnlyTheEarliestFailingStepReportsOn32BitWindows) {
    ASSERT_FALSE(win32::IsWow64()) << "needs the 32-bit prefix";
    ExpectOnlyTheEarliestVerdict(false);
}

// Rule values that cannot be evaluated end the run: the error leaves Check,
// nothing is reported and nothing is accepted.
TEST_F(PipelineTest, UnreadableRuleValuesEndTheRun) {
    ScopedRegistryKeys keys;
    keys.SetDword(HKEY_CURRENT_USER, L"Software\\TallwickBad", L"Build", 7);
    keys.SetQword(HKEY_CURRENT_USER, L"Software\\TallwickBad", L"Stamp", 7);
    keys.SetString(HKEY_CURRENT_USER, L"Software\\TallwickBad", L"Soon", L"soon");
    keys.SetString(HKEY_CURRENT_USER, L"Software\\TallwickBad", L"Huge",
                   L"99999999999999999999999");
    const auto uninstall = [](const char* root, const char* value) {
        const json record = {{"utr", root},
                             {"utk", "software\\tallwickbad"},
                             {"utvn", value},
                             {"utvt", "REG_SZ"},
                             {"umd", 1}};
        return json{{"cmdu", json::array({record})}};
    };
    struct Case {
        const char* name;
        json ps;
        const wchar_t* ieVersion;  // written over the prefix's value when set
        const char* message;       // null: only the type is fixed
        bool outOfRange;
    } cases[] = {
        {"DWORD data without digits",
         {{"rvd", {"tallwickbad\\build\\abc"}}},
         nullptr,
         "invalid stoul argument",
         false},
        {"DWORD data out of range",
         {{"rvd", {"tallwickbad\\build\\4294967296"}}},
         nullptr,
         "stoul argument out of range",
         true},
        {"QWORD data without digits",
         {{"rvd", {"tallwickbad\\stamp\\x7"}}},
         nullptr,
         "invalid stoull argument",
         false},
        {"bare software root", {{"r", {"hklm\\software\\"}}}, nullptr, nullptr, true},
        {"uninstall root not a long root name", uninstall("hkcu", "soon"), nullptr, nullptr, true},
        {"uninstall time without digits", uninstall("hkey_current_user", "soon"), nullptr,
         "invalid stoull argument", false},
        {"uninstall time out of range", uninstall("hkey_current_user", "huge"), nullptr,
         "stoull argument out of range", true},
        {"IE version without digits",
         {{"checksIeVersion", true}},
         L"abc",
         "invalid stof argument",
         false},
        {"IE version out of range",
         {{"checksIeVersion", true}},
         L"1e99",
         "stof argument out of range",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service::Reset();
        ScopedRegistryKeys ie;
        if (c.ieVersion) {
            ie.SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", L"Version",
                         c.ieVersion);
        }
        PackageChecker checker(10);
        auto offer = Offer("bad", c.ps);
        offer->checksIeVersion = c.ieVersion != nullptr;
        bool limitReached = false;
        try {
            checker.Check(offer, limitReached);
            ADD_FAILURE() << "the run went on";
        } catch (const std::out_of_range& error) {
            EXPECT_TRUE(c.outOfRange) << error.what();
            if (c.message) {
                EXPECT_STREQ(c.message, error.what());
            }
        } catch (const std::invalid_argument& error) {
            EXPECT_FALSE(c.outOfRange) << error.what();
            EXPECT_STREQ(c.message, error.what());
        }
        offer->WaitForPendingEvents();
        EXPECT_TRUE(VerdictsOf("bad").empty());
        EXPECT_EQ(0, checker.GetAcceptedCount());
    }
}

}  // namespace
