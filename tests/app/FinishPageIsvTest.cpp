// An ISV wizard built with its product's constants (tests/app/CMakeLists.txt):
// they reach the configuration intact, and the finish page launches the
// application they name, with its path macros replaced.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/FinishPageFixture.h"

namespace {

// The constants this program is built with.
const wchar_t kProductUrl[] = L"https://localhost/f/kestrano-setup.exe";
const wchar_t kProductArguments[] = L"/S /LOG=\"C:\\Users\\Public\\setup log.txt\"";
const wchar_t kLaunchPath[] = L"{commonpf32}\\Kestrano\\Viewer\\viewer.exe";
const wchar_t kLaunchArguments[] = L"--open \"C:\\Users\\Public\\B\u00fccher\" --tabs=a;b";

using FinishPageIsv = FinishPageFixture;

struct Case {
    const char* name;
    bool clearCheckbox;
    bool launchPath;  // false: a build without an application to launch
    bool launches;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const Case& test, std::ostream* out) {
    *out << test.name;
}

class FinishPageIsvChoice : public FinishPageIsv, public testing::WithParamInterface<Case> {};

}  // namespace

TEST(IsvProduct, BuildConstantsReachTheConfigurationIntact) {
    auto config = ConfigurationManager::GetInstance();
    EXPECT_EQ(config->wizardType, ConfigurationManager::kWizardIsv);
    EXPECT_EQ(config->cu, kProductUrl);
    EXPECT_EQ(config->productArguments, kProductArguments);
    EXPECT_EQ(config->launchPath, kLaunchPath);  // expanded only when launched
    EXPECT_EQ(config->launchArguments, kLaunchArguments);
    EXPECT_EQ(config->productTitle, L"Kestrano");
}

TEST_F(FinishPageIsv, ShowsItsTextsWithLaunchTickedAndNoMinimizeBox) {
    EXPECT_EQ(dialog->Pages().back()->GetPageName(), L"FinishPageISV");
    EXPECT_TRUE(IsWindowVisible(finish));
    EXPECT_EQ(ItemText(finish, 1030), "Thank you.\r\nYour installation is complete.");
    EXPECT_EQ(ItemText(finish, 1033),
              "You have successfully installed Kestrano. Click \"Finish\" to proceed.");
    EXPECT_EQ(ItemText(finish, 1028), "Finish");
    EXPECT_EQ(ItemText(finish, 1044), "Launch the application on exit");
    EXPECT_EQ(Check(1044), BST_CHECKED);

    EXPECT_TRUE(minimizeBoxAtStart);
    EXPECT_FALSE(HasMinimizeBox());
    EXPECT_TRUE(opened.empty());
}

TEST_P(FinishPageIsvChoice, LaunchesTheApplicationWhenTickedThenEndsWithoutTheWorkingFolder) {
    const Case& test = GetParam();
    if (!test.launchPath) {
        config->launchPath.Empty();
    }
    if (test.clearCheckbox) {
        ClickButton(finish, 1044);
        EXPECT_EQ(Check(1044), BST_UNCHECKED);
    }
    ClickButton(finish, 1028);

    ShellCalls expected;
    if (test.launches) {
        expected.emplace_back(L"C:\\Program Files (x86)\\Kestrano\\Viewer\\viewer.exe",
                              kLaunchArguments);
    }
    EXPECT_EQ(opened, expected);
    EXPECT_EQ(dialog->GetEndResult(), 1);
    EXPECT_FALSE(WorkFolderExists());
}

INSTANTIATE_TEST_SUITE_P(Cases, FinishPageIsvChoice,
                         testing::Values(Case{"TickedByDefault", false, true, true},
                                         Case{"Cleared", true, true, false},
                                         Case{"NothingToLaunchOpensNothing", false, false, false}),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });
