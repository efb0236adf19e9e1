// One whole wizard run of a variant, as its user and its publisher see it:
// every page from the first to the finish page through the real main dialog
// and the variant's own resources, against the reference service, with one
// offer accepted, one declined and one the machine rejects. The checks below
// all read that one run.
#include "../pages/WizardRun.h"

#include "config/PathMacros.h"
#include "pages/LicensePageIsv.h"

namespace {

using namespace wizard_run;
using ShellCalls = std::vector<std::pair<std::wstring, std::wstring>>;

class WizardEndToEnd : public WizardRun {
protected:
    void SetUp() override {
        WizardRun::SetUp();
        previousShell = SetShellOpenHook([this](const CString& target, const CString& parameters) {
            opened.emplace_back(target.str(), parameters.str());
        });
    }
    void TearDown() override {
        WizardRun::TearDown();
        SetShellOpenHook(std::move(previousShell));
        if (IsDlm() && !config->downloadedFile.IsEmpty()) {
            DeleteFileW(config->downloadedFile);
        }
    }

    // Presses what a user presses on the page the wizard shows, until the
    // finish page is up; returns the names of the pages in the order shown.
    std::vector<std::string> WalkToTheFinishPage() {
        std::vector<std::string> shown = {
            WideToNarrow(dialog->Pages().at(0)->GetPageName(), CP_UTF8), "LoadingPage"};
        HWND last = nullptr;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
        while (std::chrono::steady_clock::now() < deadline &&
               !dialog->GetErrorPage()->IsWindowVisible()) {
            IPage* page = nullptr;
            for (const auto& candidate : dialog->Pages()) {
                if (IsWindowVisible(*candidate)) {
                    page = candidate.get();
                }
            }
            if (page && *page != last) {
                last = *page;
                std::string name = WideToNarrow(page->GetPageName(), CP_UTF8);
                if (auto* product = dynamic_cast<ProductPage*>(page)) {
                    name += ":" + product->GetPackage()->o;
                    shown.push_back(name);
                    ClickButton(*page, product->GetPackage()->o == "a1" ? ProductPage::kAcceptId
                                                                        : ProductPage::kDeclineId);
                    continue;
                }
                shown.push_back(name);
                if (name == "WelcomePage") {
                    ClickButton(*page, 1010);
                } else if (name == "LicensePage") {
                    ClickButton(*page, LicensePageIsv::kAgreeId);
                } else if (name.rfind("FinishPage", 0) == 0) {
                    break;
                }
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages();
        }
        return shown;
    }

    ShellCalls opened;

private:
    ShellOpenHook previousShell;
};

}  // namespace

TEST_F(WizardEndToEnd, FromTheFirstPageToTheFinishPage) {
    ASSERT_FALSE(Probe().empty());
    const bool bt = config->btVariant;
    // The DLM product comes from the configuration; the ISV one from the build.
    Serve(Response(
        {Offer("a1", {{"u", "https://localhost/f/a1.exe"}, {"p", "/VERYSILENT"}}),
         Offer("b2", {{"u", "https://localhost/f/b2.exe"}}), Offer("c3", {{"ram", 1ull << 60}})},
        {{"cu", "https://localhost/f/viewer.exe"}, {"cf", "viewer-setup.exe"}}));
    ServeFile("/f/viewer.exe", Probe());
    ServeFile("/f/isv-product.exe", Probe());
    ServeFile("/f/a1.exe", Probe());
    ServeFile("/f/b2.exe", Probe());
    Run();
    const std::vector<std::string> shown = WalkToTheFinishPage();
    const std::wstring work = config->workFolder.str();

    {
        SCOPED_TRACE("the pages, in order");
        std::vector<std::string> expected = Flow({"a1", "b2"});
        if (bt) {
            expected[0] = "LanguagePageBT";
            expected[2] = "LicensePage";
        }
        EXPECT_EQ(shown, expected);
        ASSERT_TRUE(IsWindowVisible(*dialog->Pages().back()));
    }
    {
        SCOPED_TRACE("the files and the installers");
        const std::wstring a1 = work + L"\\a1.exe";
        EXPECT_EQ(RecordedCommandLine(a1), L"\"" + a1 + L"\" /VERYSILENT");
        EXPECT_EQ(GetFileAttributesW((work + L"\\b2.exe").c_str()), INVALID_FILE_ATTRIBUTES)
            << "a declined offer is not downloaded";
        if (IsDlm()) {
            const std::wstring product = config->downloadsFolder.str() + L"\\viewer-setup.exe";
            EXPECT_EQ(config->downloadedFile.str(), product);
            EXPECT_EQ(ReadFileBytes(product), Probe());
            EXPECT_EQ(GetFileAttributesW((product + L".cmdline").c_str()), INVALID_FILE_ATTRIBUTES)
                << "the DLM product is only downloaded";
        } else {
            const std::wstring product = work + L"\\isv-product.exe";
            EXPECT_EQ(config->downloadedFile.str(), product);
            EXPECT_EQ(RecordedCommandLine(product), L"\"" + product + L"\" 0 /quiet");
        }
    }
    {
        SCOPED_TRACE("the analytics the service received");
        WaitForEvents();
        config->mainPackage->WaitForPendingEvents();
        const std::string main = IsDlm() ? "KestranoViewer" : WideToNarrow(config->makerName);
        EXPECT_EQ(Events(), (std::vector<std::string>{"1 " + (IsDlm() ? "" : main), "2 c3", "4 b2",
                                                      "3 " + main, "3 a1"}));
        EXPECT_EQ(Verdicts(), std::vector<std::string>{"c3 NOT ENOUGH RAM"});
    }
    {
        SCOPED_TRACE("Finish");
        ClickButton(*dialog->Pages().back(), 1028);
        EXPECT_FALSE(IsWindowVisible(*dialog));
        EXPECT_EQ(GetFileAttributesW(work.c_str()), INVALID_FILE_ATTRIBUTES)
            << "the working folder is gone";
        ShellCalls expected;
        if (IsDlm()) {
            expected = {{config->downloadedFile.str(), L""}};
            EXPECT_EQ(ReadFileBytes(config->downloadedFile.str()), Probe())
                << "the product in Downloads stays";
        } else {
            expected = {{ExpandPathMacros(config->launchPath).str(), L"--first-run"}};
        }
        EXPECT_EQ(opened, expected);
    }
}
