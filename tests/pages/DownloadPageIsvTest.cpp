// The ISV download page through the real wizard, built with a product of its
// own: everything into the working folder, the product's installer run and
// waited for, its exit code deciding, the offers started after it, and the
// error page when the product cannot be downloaded or installed.
#include "WizardRun.h"

#include <commctrl.h>

#include <tlhelp32.h>

#include "pages/DownloadPageIsv.h"
#include "win32/UniqueHandle.h"

namespace {

using namespace wizard_run;

class DownloadPageIsvTest : public WizardRun {
protected:
    void SetUp() override {
        WizardRun::SetUp();
        arguments = config->productArguments;
    }
    void TearDown() override {
        config->productArguments = arguments;
        WizardRun::TearDown();
        config->mainPackage->WaitForPendingEvents();
    }

    // Accepts every offer and waits until the download page has handed over,
    // answering the quit question with Cancel once while the product's
    // installer runs.
    void InstallEverything() {
        ClickButton(*dialog->Pages().at(2), 1010);
        for (size_t index = 3; dynamic_cast<ProductPage*>(dialog->Pages().at(index).get());
             ++index) {
            ClickButton(*dialog->Pages().at(index), 1021);
        }
        HWND finish = *dialog->Pages().back();
        bool asked = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!IsWindowVisible(finish) && !dialog->GetErrorPage()->IsWindowVisible()) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the installers never ended";
            if (!asked &&
                GetFileAttributesW((Product() + L".cmdline").c_str()) != INVALID_FILE_ATTRIBUTES) {
                boxes.SetAnswer(IDCANCEL);
                SendMessageW(*dialog, WM_CLOSE, 0, 0);
                asked = true;
                // The download page says what goes on: its texts, and a
                // moving bar while the installer runs.
                HWND page = *dialog->Pages().at(dialog->Pages().size() - 2);
                EXPECT_EQ(ItemText(page, 1025), WideToNarrow(Text("PROGRESS_TITLE"), CP_UTF8));
                HWND bar = GetDlgItem(page, DownloadPageIsv::kProgressId);
                ASSERT_NE(bar, nullptr);
                EXPECT_TRUE(GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages();
        }
    }

    std::wstring Product() const { return config->workFolder.str() + L"\\isv-setup.exe"; }
    // The main package's events name the maker.
    std::string Main() const { return WideToNarrow(config->makerName, CP_UTF8); }
    std::wstring Text(const char* key) const {
        return dialog->GetLanguageManager()->GetText(key).str();
    }
    static FILETIME Written(const std::wstring& path) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }
    static double SecondsBetween(FILETIME earlier, FILETIME later) {
        ULARGE_INTEGER a{{earlier.dwLowDateTime, earlier.dwHighDateTime}};
        ULARGE_INTEGER b{{later.dwLowDateTime, later.dwHighDateTime}};
        return (static_cast<double>(b.QuadPart) - static_cast<double>(a.QuadPart)) / 1e7;
    }

    CString arguments;
};

}  // namespace

// The product's installer is the probe, given "0 1500" by the build: it waits
// one and a half seconds, then ends with 0.
TEST_F(DownloadPageIsvTest, TheProductIsInstalledAndWaitedForThenTheOffersStart) {
    ASSERT_FALSE(Probe().empty());
    Serve(Response({Offer("a1", {{"u", "https://localhost/f/a1.exe"}, {"p", "0"}}),
                    Offer("b2", {{"u", "https://localhost/f/b2.exe"}, {"p", "0"}})}));
    ServeFile("/f/isv-setup.exe", Probe());
    ServeFile("/f/a1.exe", Probe());
    ServeFile("/f/b2.exe", Probe());
    Run();
    ASSERT_EQ(PageNames(), Flow({"a1", "b2"}));
    InstallEverything();
    ASSERT_TRUE(IsWindowVisible(*dialog->Pages().back())) << "the finish page follows";

    EXPECT_EQ(config->downloadedFile.str(), Product());
    EXPECT_EQ(RecordedCommandLine(Product()), L"\"" + Product() + L"\" 0 1500");
    const std::wstring a1 = config->workFolder.str() + L"\\a1.exe";
    const std::wstring b2 = config->workFolder.str() + L"\\b2.exe";
    EXPECT_EQ(RecordedCommandLine(a1), L"\"" + a1 + L"\" 0");
    EXPECT_EQ(RecordedCommandLine(b2), L"\"" + b2 + L"\" 0");
    EXPECT_GT(SecondsBetween(Written(Product() + L".cmdline"), Written(a1 + L".cmdline")), 1.3)
        << "the offers start once the product's installer has ended";

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, Text("PROGRESS_QUIT")) << "asked while installers run";
    EXPECT_TRUE(IsWindowVisible(*dialog)) << "Cancel keeps the wizard";

    WaitForEvents();
    config->mainPackage->WaitForPendingEvents();
    EXPECT_EQ(Events(), (std::vector<std::string>{"1 " + Main(), "3 " + Main(), "3 a1", "3 b2"}));
}

// A product that cannot be had or installed: the offers are still installed,
// then the error page.
TEST_F(DownloadPageIsvTest, AFailedProductEndsOnTheErrorPageAfterTheOffers) {
    struct Case {
        const char* name;
        const wchar_t* arguments;
        bool served;
        std::string failure;
        std::string field;  // the whole "12" text, where it is fixed
    } cases[] = {
        {"an installer ending with 2", L"2", true,
         "-1 " + Main() + " EXEC FAILED:", "EXEC FAILED: exit code = 2"},
        {"a product that cannot be downloaded", L"0", false,
         "-1 " + Main() + " DOWNLOAD FAILED:", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        config->productArguments = c.arguments;
        Serve(Response({Offer("a1", {{"u", "https://localhost/f/a1.exe"}})}));
        if (c.served) {
            ServeFile("/f/isv-setup.exe", Probe());
        }
        ServeFile("/f/a1.exe", Probe());
        Run();
        InstallEverything();
        HWND error = *dialog->GetErrorPage();
        ASSERT_TRUE(IsWindowVisible(error));
        EXPECT_EQ(ItemText(error, 1036), WideToNarrow(Text("PAGE_ERROR_TITLE"), CP_UTF8));
        EXPECT_EQ(ItemText(error, 1037), WideToNarrow(Text("PAGE_ERROR_TEXT"), CP_UTF8));
        const std::wstring a1 = config->workFolder.str() + L"\\a1.exe";
        EXPECT_NE(RecordedCommandLine(a1), L"<not started>");
        WaitForEvents();
        config->mainPackage->WaitForPendingEvents();
        EXPECT_EQ(Events(), (std::vector<std::string>{"1 " + Main(), c.failure, "3 a1"}));
        for (const auto& row : service::Events()) {
            if (row.at("event").at("6") == "-1" && !c.field.empty()) {
                EXPECT_EQ(row.at("event").at("12"), c.field);
            }
        }
        TearDown();
    }
}

TEST_F(DownloadPageIsvTest, AZippedProductRunsTheProgramInside) {
    const std::wstring archive = config->workFolder.str() + L"\\archive-source.zip";
    ASSERT_TRUE(WriteZip(archive, {{"readme.txt", "text"}, {"setup.exe", Probe()}}));
    const std::string zip = ReadFileBytes(archive);
    DeleteFileW(archive.c_str());
    ServeFile("/f/isv-setup.exe", zip);
    Serve(Response(json::array()));
    Run();
    InstallEverything();
    ASSERT_TRUE(IsWindowVisible(*dialog->Pages().back()));
    // The download keeps its name; the archive is unpacked beside it.
    const std::wstring program = config->workFolder.str() + L"\\isv-setup\\setup.exe";
    EXPECT_EQ(config->downloadedFile.str(), program);
    EXPECT_EQ(RecordedCommandLine(program), L"\"" + program + L"\" 0 1500");
}

// Quitting while the product's installer runs leaves it running: the wizard
// neither waits for it nor ends it.
TEST_F(DownloadPageIsvTest, QuittingDuringTheInstallerLeavesItRunning) {
    config->productArguments = L"0 20000";
    ServeFile("/f/isv-setup.exe", Probe());
    Serve(Response(json::array()));
    Run();
    ClickButton(*dialog->Pages().at(2), 1010);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (GetFileAttributesW((Product() + L".cmdline").c_str()) == INVALID_FILE_ATTRIBUTES) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the installer never started";
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    SendMessageW(*dialog, WM_CLOSE, 0, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, Text("PROGRESS_QUIT"));
    dialog.reset();

    // The installer is still there, twenty seconds from its end.
    win32::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    DWORD installer = 0;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, L"isv-setup.exe") == 0) {
            installer = entry.th32ProcessID;
        }
    }
    ASSERT_NE(installer, 0u) << "the wizard waited for the installer or ended it";
    win32::UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, installer));
    TerminateProcess(process.get(), 0);
}
