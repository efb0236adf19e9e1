// The DLM download page through the real wizard: the product into Downloads,
// the accepted offers into the working folder and started with their
// arguments, the results reported, and the error page when the product
// cannot be had.
#include "WizardRun.h"

#include "support/RunningProgram.h"
#include "support/ZipWriter.h"

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

    // Walks from the welcome page through the product pages, accepting each,
    // and waits until the download page has handed over.
    void AcceptAllAndDownload() {
        ClickButton(*dialog->Pages().at(2), 1010);
        for (size_t index = 3; dynamic_cast<ProductPage*>(dialog->Pages().at(index).get());
             ++index) {
            ClickButton(*dialog->Pages().at(index), 1021);
        }
        HWND finish = *dialog->Pages().back();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!IsWindowVisible(finish) && !dialog->GetErrorPage()->IsWindowVisible()) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the downloads never ended";
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages();
        }
    }

    // What the probe program recorded when it was started from path, waiting
    // a little: offers are started without waiting for them.
    static std::wstring RecordedCommandLine(const std::wstring& path) {
        for (int i = 0; i < 100; ++i) {
            const std::string text = ReadFileBytes(path + L".cmdline");
            if (!text.empty()) {
                return std::wstring(reinterpret_cast<const wchar_t*>(text.data()),
                                    text.size() / sizeof(wchar_t));
            }
            Sleep(100);
        }
        return L"<not started>";
    }

    // "<code> <offer id> <12>" of each event the service received.
    static std::vector<std::string> Events() {
        std::vector<std::string> events;
        for (const auto& row : service::Events()) {
            const json& event = row.at("event");
            std::string line =
                event.at("6").get<std::string>() + " " + event.at("5").get<std::string>();
            const std::string twelve = event.at("12").get<std::string>();
            if (!twelve.empty()) {
                line += " " + twelve.substr(0, twelve.find(':') + 1);
            }
            events.push_back(line);
        }
        return events;
    }

    const std::string probe = ReadFileBytes(TestProgramFolder() + L"process_probe.exe");
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
