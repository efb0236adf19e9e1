#pragma once

// A wizard run for page tests: the real main dialog against the reference
// service, with the offers and configurations those tests serve.
#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "api/Package.h"
#include "app/CTallwickDlg.h"
#include "config/BuildConstants.h"
#include "config/ConfigurationManager.h"
#include "localisation/LanguageManager.h"
#include "framework/ShellOpen.h"
#include "pages/ErrorPage.h"
#include "pages/IPage.h"
#include "pages/LoadingPage.h"
#include "pages/ProductPage.h"
#include "process/FileSystem.h"
#include "support/MessageBoxRecorder.h"
#include "support/RunState.h"
#include "support/RunningProgram.h"
#include "support/ScopedRegistryKeys.h"
#include "support/ServiceControl.h"
#include "support/UiEnvironment.h"
#include "support/ZipWriter.h"

namespace wizard_run {

using nlohmann::json;

bool IsDlm() {
    return ConfigurationManager::GetInstance()->wizardType == ConfigurationManager::kWizardDlm;
}

// Offers of their own vertical each, so that the rule between offers lets
// them all through. Texts carry no spaces: the configuration request removes
// whitespace from the whole response.
json Offer(const std::string& id, json extra = json::object()) {
    json ps = {{"i", "offer-one.png"},
               {"dn", "Offer-" + id},
               {"v", static_cast<int>(std::hash<std::string>()(id) % 1000) + 1},
               {"u", "https://localhost/f/" + id + ".exe"},
               {"cp", "https://privacy.example/" + id},
               {"ctu", "https://terms.example/" + id}};
    ps.update(extra);
    return {{"ad", {{"f", "F-" + id}, {"o", id}}}, {"ps", ps}};
}

json Response(json offers, json product = json::object()) {
    json response = {{"l", "US"}, {"f", {{"a", "pub1"}, {"m", 5}}}, {"o", std::move(offers)}};
    json i = {{"ct", "KestranoViewer"}, {"cu", "https://localhost/f/viewer.exe"}};
    i.update(product);
    response["i"] = i;
    return response;
}

class WizardRun : public UiTest {
protected:
    void SetUp() override {
        service::Reset();
        config = ConfigurationManager::GetInstance();
        config->languageName.Empty();
        ForgetEarlierRun(*config);
        // Each test starts with an empty working folder: what an earlier
        // test's installers recorded there must not pass for this one's.
        if (!config->workFolder.IsEmpty()) {
            DeleteFolderTree(config->workFolder);
            CreateDirectoryW(config->workFolder, nullptr);
        }
        config->productImage.reset();
        for (CString* field : {&config->productTitle, &config->cu, &config->cl, &config->cf,
                               &config->cp, &config->ctu, &config->ch, &config->cfl}) {
            field->Empty();
        }
        config->cb.clear();
        config->publisherId.clear();
        if (!IsDlm()) {
            // What an ISV wizard holds before its loading: the maker and the
            // product its build carries.
            config->productTitle = config->makerName;
            config->cu = ProductBuildConstants().isvProductUrl;
        }
    }
    void TearDown() override {
        dialog.reset();
        // Verdicts and declines are delivered before the next test resets the service.
        WaitForEvents();
    }

    void Serve(const json& response) {
        service::SetScenario({{"path", "/o"}, {"responses", {{{"body", response.dump()}}}}});
    }

    // Starts the wizard, leaves the language page and waits until the loading
    // page has handed over (more pages) or the error page shows.
    void Run() {
        dialog = std::make_unique<CTallwickDlg>();
        dialog->SetBackgroundColor(config->backgroundColor);
        ASSERT_TRUE(dialog->Create(nullptr));
        ClickButton(*dialog->Pages().at(0), 1010);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (dialog->Pages().size() <= 2 && !dialog->GetErrorPage()->IsWindowVisible()) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the loading never ended";
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages();
        }
    }

    std::vector<std::string> PageNames() const {
        std::vector<std::string> names;
        if (dialog->GetErrorPage()->IsWindowVisible()) {
            names.push_back("ErrorPage");
        }
        for (const auto& page : dialog->Pages()) {
            std::string name = WideToNarrow(page->GetPageName(), CP_UTF8);
            if (auto* product = dynamic_cast<ProductPage*>(page.get())) {
                name += ":" + product->GetPackage()->o;
            }
            names.push_back(name);
        }
        return names;
    }

    std::vector<std::string> Flow(std::vector<std::string> offers) const {
        std::vector<std::string> names = {"LanguagePage", "LoadingPage", "WelcomePage"};
        for (const auto& offer : offers) {
            names.push_back("ProductPage:" + offer);
        }
        names.push_back(IsDlm() ? "DownloadPageDLM" : "DownloadPageISV");
        names.push_back(IsDlm() ? "FinishPageDLM" : "FinishPageISV");
        return names;
    }

    void WaitForEvents() {
        for (const auto& package : config->shownOffers) {
            package->WaitForPendingEvents();
        }
        if (dialog) {
            for (const auto& page : dialog->Pages()) {
                if (auto* product = dynamic_cast<ProductPage*>(page.get())) {
                    product->GetPackage()->WaitForPendingEvents();
                }
            }
        }
    }

    // The verdicts (event 2, key "13") the service received, in arrival order.
    static std::vector<std::string> Verdicts() {
        std::vector<std::string> verdicts;
        for (const auto& row : service::Events()) {
            const json& event = row.at("event");
            if (event.at("6") == "2") {
                verdicts.push_back(event.at("5").get<std::string>() + " " +
                                   event.at("13").get<std::string>());
            }
        }
        return verdicts;
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

    // The probe program's bytes, served as an installer.
    static const std::string& Probe() {
        static const std::string probe = ReadFileBytes(TestProgramFolder() + L"process_probe.exe");
        return probe;
    }
    static void ServeFile(const std::string& path, const std::string& bytes) {
        service::SetScenario(
            {{"path", path}, {"responses", {{{"body_hex", service::ToHex(bytes)}}}}});
    }

    std::shared_ptr<ConfigurationManager> config;
    std::unique_ptr<CTallwickDlg> dialog;
    SleepRecorder sleeps;
    MessageBoxRecorder boxes;
};

}  // namespace wizard_run
