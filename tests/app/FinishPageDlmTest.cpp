// A DLM wizard on its finish page: what it shows, what FINISH opens, and
// that every way out removes the working folder but not the product.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/FinishPageFixture.h"

namespace {

class FinishPageDlm : public FinishPageFixture {
protected:
    void SetUp() override {
        ConfigurationManager::GetInstance()->productTitle = L"Kestrano Viewer";
        FinishPageFixture::SetUp();
    }
};

enum class WayOut { Finish, CloseBox };
enum class Opens { Nothing, Product, ProductSelectedInExplorer };

struct Case {
    const char* name;
    std::vector<int> radiosClicked;
    bool productFile;  // false: no product path was recorded
    WayOut wayOut;
    Opens opens;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const Case& test, std::ostream* out) {
    *out << test.name;
}

class FinishPageDlmChoice : public FinishPageDlm, public testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        FinishPageDlm::SetUp();
        // A name with spaces, in the Downloads folder where the product lands.
        product = config->downloadsFolder + L"\\Kestrano Viewer Setup.exe";
        HANDLE file = CreateFileW(product, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    void TearDown() override {
        DeleteFileW(product);
        FinishPageDlm::TearDown();
    }

    CString product;
};

}  // namespace

TEST_F(FinishPageDlm, ShowsItsTextsWithLaunchChosenAndNoMinimizeBox) {
    EXPECT_EQ(dialog->Pages().back()->GetPageName(), L"FinishPageDLM");
    EXPECT_TRUE(IsWindowVisible(finish));
    EXPECT_EQ(ItemText(finish, 1030),
              "Thank you.\r\nYou have successfully downloaded Kestrano Viewer.");
    EXPECT_EQ(ItemText(finish, 1033),
              "To install the software on your machine, click \"Launch\"\r\n"
              "Click the \"Finish\" button to exit the Setup Wizard");
    EXPECT_EQ(ItemText(finish, 1028), "Finish");
    EXPECT_EQ(ItemText(finish, 1031), "Launch");
    EXPECT_EQ(ItemText(finish, 1034), "Open Folder");
    EXPECT_EQ(Check(1031), BST_CHECKED);
    EXPECT_EQ(Check(1034), BST_UNCHECKED);

    EXPECT_TRUE(minimizeBoxAtStart);
    EXPECT_FALSE(HasMinimizeBox());
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(Ended());
}

TEST_P(FinishPageDlmChoice, OpensWhatWasChosenThenEndsWithoutTheWorkingFolder) {
    const Case& test = GetParam();
    config->downloadedFile = test.productFile ? product : CString();
    for (int radio : test.radiosClicked) {
        ClickButton(finish, radio);
    }
    // The two choices exclude each other.
    EXPECT_NE(Check(1031), Check(1034));

    if (test.wayOut == WayOut::Finish) {
        ClickButton(finish, 1028);
        EXPECT_EQ(dialog->GetEndResult(), 1);
    } else {
        SendMessageW(*dialog, WM_CLOSE, 0, 0);  // no question on the last page
        EXPECT_TRUE(Ended());
    }

    ShellCalls expected;
    if (test.opens == Opens::Product) {
        expected.emplace_back(product.str(), L"");
    } else if (test.opens == Opens::ProductSelectedInExplorer) {
        expected.emplace_back(L"explorer.exe", L"/select,\"" + product.str() + L"\"");
    }
    EXPECT_EQ(opened, expected);
    EXPECT_FALSE(WorkFolderExists());
    EXPECT_NE(GetFileAttributesW(product), INVALID_FILE_ATTRIBUTES);  // the product stays
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FinishPageDlmChoice,
    testing::Values(
        Case{"LaunchByDefault", {}, true, WayOut::Finish, Opens::Product},
        Case{"OpenFolder", {1034}, true, WayOut::Finish, Opens::ProductSelectedInExplorer},
        Case{"LaunchChosenAgain", {1034, 1031}, true, WayOut::Finish, Opens::Product},
        Case{"NoProductPathOpensNothing", {}, false, WayOut::Finish, Opens::Nothing},
        Case{"CloseBoxOpensNothing", {1034}, true, WayOut::CloseBox, Opens::Nothing}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
