#include <windows.h>

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <memory>
#include <string>
#include <vector>

#include "BuildVersion.h"
#include "app/CAboutDlg.h"
#include "app/CTallwickDlg.h"
#include "config/ConfigurationManager.h"
#include "pages/ErrorPage.h"
#include "pages/IPage.h"
#include "support/MessageBoxRecorder.h"
#include "support/RunState.h"
#include "support/ServiceControl.h"
#include "support/UiEnvironment.h"

namespace {

const char kMsgExit[] = "Are you sure you want to exit the installer?";

std::string Narrow(const std::wstring& text) {
    return WideToNarrow(text, CP_UTF8);
}

class WizardDialog : public UiTest {
protected:
    void SetUp() override {
        service::Reset();
        config = ConfigurationManager::GetInstance();
        config->languageName.Empty();
        ForgetEarlierRun(*config);
        // A working folder of this test's own, with a file in it.
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        workFolder = CString(temp) + L"tallwick-dialog-test";
        CreateDirectoryW(workFolder, nullptr);
        HANDLE file = CreateFileW(workFolder + L"\\installer.exe", GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
        savedWorkFolder = config->workFolder;
        config->workFolder = workFolder;

        dialog = std::make_unique<CTallwickDlg>();
        dialog->SetBackgroundColor(config->backgroundColor);
        ASSERT_TRUE(dialog->Create(nullptr));
    }

    void TearDown() override {
        dialog.reset();
        config->workFolder = savedWorkFolder;
        DeleteFileW(workFolder + L"\\installer.exe");
        RemoveDirectoryW(workFolder);
    }

    HWND Page(size_t index) const { return *dialog->Pages().at(index); }
    std::string VisiblePageName() const {
        std::string visible;
        for (const auto& page : dialog->Pages()) {
            if (page->IsWindowVisible()) {
                visible += (visible.empty() ? "" : ",") + Narrow(page->GetPageName().str());
            }
        }
        if (dialog->GetErrorPage()->IsWindowVisible()) {
            visible += (visible.empty() ? "" : ",") + std::string("ErrorPage");
        }
        return visible;
    }
    std::vector<std::string> PageNames() const {
        std::vector<std::string> names;
        for (const auto& page : dialog->Pages()) {
            names.push_back(Narrow(page->GetPageName().str()));
        }
        return names;
    }
    int SystemCloseEntries() const {
        HMENU menu = GetSystemMenu(*dialog, FALSE);
        int found = 0;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            if (GetMenuItemID(menu, i) == SC_CLOSE) {
                ++found;
            }
        }
        return found;
    }
    bool Ended() const { return dialog->GetEndResult() != -1; }
    void SelectLanguage(int index) {
        HWND combo = GetDlgItem(Page(0), 1000);
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        SendMessageW(Page(0), WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }
    // Leaves the language page and waits for the loading page's hand-over:
    // a configuration with the product and no offers.
    void CompleteLoading() {
        service::SetScenario(
            {{"path", "/o"},
             {"responses",
              {{{"body", R"({"i": {"ct": "Viewer", "cu": "https://localhost/f/v.exe"}})"}}}}});
        ClickButton(Page(0), 1010);
        ASSERT_EQ(VisiblePageName(), "LoadingPage");
        for (int i = 0; i < 600 && dialog->Pages().size() <= 2; ++i) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages();
        }
        ASSERT_GT(dialog->Pages().size(), 2u) << "the loading never ended";
    }

    std::shared_ptr<ConfigurationManager> config;
    std::unique_ptr<CTallwickDlg> dialog;
    CString workFolder;
    CString savedWorkFolder;
};

}  // namespace

TEST_F(WizardDialog, StartsOnTheLanguagePageInTheUsersLanguage) {
    EXPECT_EQ(WindowText(*dialog), "Setup");
    EXPECT_EQ(PageNames(), (std::vector<std::string>{"LanguagePage", "LoadingPage"}));
    EXPECT_EQ(VisiblePageName(), "LanguagePage");
    EXPECT_EQ(dialog->CurrentPage(), 0u);
    EXPECT_EQ(ItemText(Page(0), 1010), "Next");
    EXPECT_EQ(ItemText(Page(0), 1011),
              "To continue, please select your preferred language, and click \"Next\".");
    EXPECT_EQ(SendDlgItemMessageW(Page(0), 1000, CB_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(*dialog, 1008)));  // title hidden until loaded

    // The page fills the page area, and the about entry is in the system menu.
    RECT area, page;
    GetWindowRect(GetDlgItem(*dialog, 1014), &area);
    GetWindowRect(Page(0), &page);
    EXPECT_TRUE(EqualRect(&area, &page));
    wchar_t about[64] = {};
    GetMenuStringW(GetSystemMenu(*dialog, FALSE), 0x10, about, 64, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(about), "&About Tallwick...");
}

TEST_F(WizardDialog, ChangingTheLanguageReappliesTheTextsOfEveryPage) {
    SelectLanguage(1);
    EXPECT_EQ(ItemText(Page(0), 1010), "SIGUIENTE");
    EXPECT_EQ(ItemText(Page(0), 1011),
              "Para continuar, selecciona tu idioma preferido y haz clic en \"SIGUIENTE\".");
    EXPECT_EQ(ItemText(*dialog->GetErrorPage(), 1035), "CERRAR");  // hidden pages too
    EXPECT_EQ(Narrow(config->localeName.str()), "es");

    SelectLanguage(0);
    EXPECT_EQ(ItemText(Page(0), 1010), "Next");
    EXPECT_EQ(ItemText(*dialog->GetErrorPage(), 1035), "Close");
    EXPECT_EQ(Narrow(config->localeName.str()), "en_US");
}

TEST_F(WizardDialog, EnterPressesNextOnTheLanguagePage) {
    SendMessageW(*dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(VisiblePageName(), "LoadingPage");
    EXPECT_EQ(dialog->CurrentPage(), 1u);
}

TEST_F(WizardDialog, CancellingTheCloseQuestionLeavesEverythingAsItWas) {
    MessageBoxRecorder boxes(IDCANCEL);
    SendMessageW(*dialog, WM_CLOSE, 0, 0);
    SendMessageW(*dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);  // Escape

    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& box : shown) {
        EXPECT_EQ(Narrow(box.text), kMsgExit);
        EXPECT_EQ(box.caption, L"");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    }
    EXPECT_FALSE(Ended());
    EXPECT_TRUE(dialog->IsWindowVisible());
    EXPECT_EQ(VisiblePageName(), "LanguagePage");
    EXPECT_FALSE(config->closing);
    EXPECT_TRUE(PathFileExistsW(workFolder));
}

TEST_F(WizardDialog, ConfirmedCloseEndsTheWizardAndDeletesTheWorkingFolder) {
    MessageBoxRecorder boxes(IDOK);
    SendMessageW(*dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(dialog->IsWindowVisible());
    EXPECT_TRUE(config->closing);
    EXPECT_FALSE(PathFileExistsW(workFolder));
}

TEST_F(WizardDialog, ClosingOnTheLoadingPageAsksAlthoughItIsTheLastPage) {
    MessageBoxRecorder boxes(IDCANCEL);
    ClickButton(Page(0), 1010);
    ASSERT_EQ(dialog->CurrentPage(), 1u);
    SendMessageW(*dialog, WM_CLOSE, 0, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(Narrow(boxes.Boxes()[0].text), kMsgExit);
    EXPECT_FALSE(Ended());
}

TEST_F(WizardDialog, RunningInstallersChangeTheQuestion) {
    MessageBoxRecorder boxes(IDCANCEL);
    dialog->SetInstallersRunning(true);
    SendMessageW(*dialog, WM_CLOSE, 0, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(Narrow(boxes.Boxes()[0].text),
              "Some installer processes are already running in the background and will finish "
              "momentarily. Are you sure you would like to exit?");
}

TEST_F(WizardDialog, ErrorPageShowsItsTextsAndEndsWithoutAQuestion) {
    SendMessageW(*dialog, WM_COMMAND, MAKEWPARAM(1038, BN_CLICKED), 0);
    HWND error = *dialog->GetErrorPage();
    EXPECT_EQ(VisiblePageName(), "ErrorPage");
    EXPECT_EQ(ItemText(error, 1036), "Error");
    EXPECT_EQ(ItemText(error, 1037), "Error message");
    EXPECT_EQ(ItemText(error, 1035), "Close");
    EXPECT_EQ(SystemCloseEntries(), 1);

    // Empty texts replace the template placeholders rather than revealing them.
    dialog->ShowError(L"", L"");
    EXPECT_EQ(ItemText(error, 1036), "");
    EXPECT_EQ(ItemText(error, 1037), "");
    EXPECT_EQ(SystemCloseEntries(), 1);

    SendMessageW(*dialog, WM_CLOSE, 0, 0);  // the test main fails on any message box
    EXPECT_TRUE(Ended());
}

// The working folder may hold the installers downloaded before the error.
TEST_F(WizardDialog, CloseOnTheErrorPageEndsTheWizardAndDeletesTheWorkingFolder) {
    dialog->ShowError(L"Something went wrong", L"Please try to download later");
    ClickButton(*dialog->GetErrorPage(), 1035);
    EXPECT_EQ(dialog->GetEndResult(), 1);
    EXPECT_FALSE(PathFileExistsW(workFolder));
}

TEST_F(WizardDialog, LoadedConfigurationBuildsTheRemainingPages) {
    CompleteLoading();
    EXPECT_EQ(PageNames(), (std::vector<std::string>{"LanguagePage", "LoadingPage", "WelcomePage",
                                                     "DownloadPageDLM", "FinishPageDLM"}));
    EXPECT_EQ(VisiblePageName(), "WelcomePage");
    EXPECT_EQ(ItemText(Page(2), 1017), "Welcome to");
    EXPECT_EQ(ItemText(Page(2), 1010), "Next");
    EXPECT_EQ(WindowText(*dialog), "Viewer Setup");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(*dialog, 1008)));

    // A repeated hand-over must not add the pages twice.
    SendMessageW(*dialog, WM_USER + 3, 0, 0);
    EXPECT_EQ(dialog->Pages().size(), 5u);
}

TEST_F(WizardDialog, SystemMenuCloseFollowsTheDownloadAndFinishPages) {
    CompleteLoading();
    ASSERT_EQ(SystemCloseEntries(), 1);
    ClickButton(Page(2), 1010);
    EXPECT_EQ(VisiblePageName(), "DownloadPageDLM");
    EXPECT_EQ(SystemCloseEntries(), 0);

    dialog->OnButton(ButtonType::Next);  // the download page is done
    EXPECT_EQ(VisiblePageName(), "FinishPageDLM");
    EXPECT_EQ(SystemCloseEntries(), 1);

    SendMessageW(*dialog, WM_CLOSE, 0, 0);  // last page: no question
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(PathFileExistsW(workFolder));
}

TEST_F(WizardDialog, FinishDeletesTheWorkingFolderAndEnds) {
    CompleteLoading();
    dialog->ShowPage(4);
    dialog->OnButton(ButtonType::Finish);
    EXPECT_EQ(dialog->GetEndResult(), 1);
    EXPECT_FALSE(PathFileExistsW(workFolder));
}

TEST_F(WizardDialog, BackReturnsToTheFirstPageAndNextThenSkipsLoading) {
    CompleteLoading();
    dialog->OnButton(ButtonType::Back);
    EXPECT_EQ(VisiblePageName(), "LanguagePage");
    ClickButton(Page(0), 1010);
    EXPECT_EQ(VisiblePageName(), "WelcomePage");
    EXPECT_EQ(dialog->CurrentPage(), 2u);

    dialog->OnButton(static_cast<ButtonType>(6));  // unknown values are ignored
    EXPECT_EQ(dialog->CurrentPage(), 2u);
    EXPECT_FALSE(Ended());
}

TEST_F(WizardDialog, SecondInstanceIsRefusedAndTheFirstIsUnaffected) {
    MessageBoxRecorder boxes(IDOK);
    {
        CTallwickDlg second;
        second.Create(nullptr);
        EXPECT_EQ(second.GetEndResult(), 1);
        EXPECT_FALSE(second.IsWindowVisible());
    }
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Narrow(shown[0].text),
              "Another setup is already running, please close it and try again");
    EXPECT_EQ(shown[0].caption, L"Error");
    EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_ICONERROR | MB_SYSTEMMODAL));

    EXPECT_FALSE(Ended());
    EXPECT_EQ(VisiblePageName(), "LanguagePage");
    ClickButton(Page(0), 1010);
    EXPECT_EQ(VisiblePageName(), "LoadingPage");
}

TEST_F(WizardDialog, InstanceIsFreeAgainAfterTheWizardCloses) {
    MessageBoxRecorder boxes(IDOK);
    SendMessageW(*dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Ended());
    CTallwickDlg next;
    next.Create(nullptr);
    EXPECT_EQ(next.GetEndResult(), -1);
    EXPECT_EQ(boxes.Boxes().size(), 1u);  // only the close question
}

TEST_F(WizardDialog, UnknownWizardTypeEndsTheWizard) {
    dialog.reset();  // frees the instance mutex
    MessageBoxRecorder boxes(IDOK);
    const int saved = config->wizardType;
    config->wizardType = 0;
    CTallwickDlg broken;
    broken.Create(nullptr);
    config->wizardType = saved;
    EXPECT_EQ(broken.GetEndResult(), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(Narrow(boxes.Boxes()[0].text), "Invalid wizard type");
    EXPECT_TRUE(PathFileExistsW(workFolder));  // a folder with files in it stays
}

TEST_F(WizardDialog, AboutBoxNamesTheVersion) {
    CAboutDlg about(*dialog);
    ASSERT_TRUE(about.Create());
    EXPECT_EQ(ItemText(about, 1045), std::string("Tallwick, Version ") + TALLWICK_VERSION_TEXT);
    EXPECT_EQ(WindowText(about), "About Tallwick");
}
