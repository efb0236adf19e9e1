// The DLM download page through the real wizard: the product into Downloads,
// the accepted offers into the working folder and started with their
// arguments, the results reported, and the error page when the product
// cannot be had.
#include "WizardRun.h"

namespace {

using namespace wizard_run;

class DownloadPageDlmTest : public WizardRun {
protected:
    void TearDown() override {
        WizardRun::TearDown();
        if (!config->downloadedFile.IsEmpty()) {
            DeleteFileW(config->downloadedFile);
        }
    }

    const std::string& probe = Probe();
};

}  // namespace

TEST_F(DownloadPageDlmTest, TheProductGoesToDownloadsAndTheOffersAreStarted) {
    ASSERT_FALSE(probe.empty());
    Serve(Response({Offer("a1", {{"u", "https://localhost/f/a1.exe"}, {"p", "7"}}),
                    Offer("b2", {{"u", "https://localhost/f/b2.exe"}})},
                   {{"cf", "viewer-setup.exe"}}));
    service::SetScenario({{"path", "/f/viewer.exe"}, {"responses", {{{"body", "product"}}}}});
    service::SetScenario(
        {{"path", "/f/a1.exe"}, {"responses", {{{"body_hex", service::ToHex(probe)}}}}});
    service::SetScenario(
        {{"path", "/f/b2.exe"}, {"responses", {{{"status", 404}}, {{"status", 404}}}}});
    Run();
    ASSERT_EQ(PageNames(), Flow({"a1", "b2"}));
    AcceptAllAndDownload();
    ASSERT_TRUE(IsWindowVisible(*dialog->Pages().back())) << "the finish page follows";

    const std::wstring product = config->downloadsFolder.str() + L"\\viewer-setup.exe";
    EXPECT_EQ(config->downloadedFile.str(), product);
    EXPECT_EQ(ReadFileBytes(product), "product");
    const std::wstring offer = config->workFolder.str() + L"\\a1.exe";
    EXPECT_EQ(RecordedCommandLine(offer), L"\"" + offer + L"\" 7");
    EXPECT_EQ(GetFileAttributesW((config->workFolder + L"\\b2.exe").GetString()),
              INVALID_FILE_ATTRIBUTES);

    WaitForEvents();
    config->mainPackage->WaitForPendingEvents();
    EXPECT_EQ(Events(), (std::vector<std::string>{"1 ", "3 KestranoViewer",
                                                  "-1 b2 DOWNLOAD FAILED:", "3 a1"}));
}

TEST_F(DownloadPageDlmTest, AProductThatCannotBeDownloadedEndsOnTheErrorPageAfterTheOffers) {
    ASSERT_FALSE(probe.empty());
    Serve(Response({Offer("a1", {{"u", "https://localhost/f/a1.exe"}})},
                   {{"cu", "https://localhost/f/missing.exe"}}));
    service::SetScenario(
        {{"path", "/f/a1.exe"}, {"responses", {{{"body_hex", service::ToHex(probe)}}}}});
    Run();
    AcceptAllAndDownload();
    HWND error = *dialog->GetErrorPage();
    ASSERT_TRUE(IsWindowVisible(error));
    EXPECT_EQ(ItemText(error, 1036), "Error in downloading");
    EXPECT_EQ(ItemText(error, 1037), "Please try to download later");
    const std::wstring offer = config->workFolder.str() + L"\\a1.exe";
    EXPECT_NE(RecordedCommandLine(offer), L"<not started>");
    WaitForEvents();
    config->mainPackage->WaitForPendingEvents();
    EXPECT_EQ(Events(),
              (std::vector<std::string>{"1 ", "-1 KestranoViewer DOWNLOAD FAILED:", "3 a1"}));
}

TEST_F(DownloadPageDlmTest, QuittingDuringADownloadCancelsItAndLeavesNothingBehind) {
    Serve(Response({Offer("a1", {{"u", "https://localhost/f/a1.exe"}})}));
    service::SetScenario({{"path", "/f/viewer.exe"}, {"responses", {{{"body", "product"}}}}});
    // About twenty seconds of offer at this pace: the wizard is closed long before.
    service::SetScenario(
        {{"path", "/f/a1.exe"},
         {"responses", {{{"body_size", 4 << 20}, {"pace", json::array({32768, 0.15})}}}}});
    Run();
    ClickButton(*dialog->Pages().at(2), 1010);
    ClickButton(*dialog->Pages().at(3), 1021);
    const std::wstring offer = config->workFolder.str() + L"\\a1.exe";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    DeleteFileW(offer.c_str());  // left by an earlier test
    while (config->downloadedFile.IsEmpty() ||
           GetFileAttributesW(offer.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the offer never started";
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }

    SendMessageW(*dialog, WM_CLOSE, 0, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, dialog->GetLanguageManager()->GetText("MSG_EXIT").str());
    EXPECT_FALSE(IsWindowVisible(*dialog));
    EXPECT_EQ(GetFileAttributesW(config->workFolder), INVALID_FILE_ATTRIBUTES)
        << "the working folder and the half-downloaded offer are gone";
    // The cancelled offer is not reported as failed but as left; the product,
    // whose report ended with its download, sends no more.
    EXPECT_EQ(Events(), (std::vector<std::string>{"1 ", "3 KestranoViewer", "5 a1"}));
}
