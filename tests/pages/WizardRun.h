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
#include "config/ConfigurationManager.h"
#include "localisation/LanguageManager.h"
#include "framework/ShellOpen.h"
#include "pages/ErrorPage.h"
#include "pages/IPage.h"
#include "pages/LoadingPage.h"
#include "pages/ProductPage.h"
#include "support/MessageBoxRecorder.h"
#include "support/RunState.h"
#include "support/ScopedRegistryKeys.h"
#include "support/ServiceControl.h"
#include "support/UiEnvironment.h"

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
        config->productImage.reset();
        for (CString* field : {&config->productTitle, &config->cu, &config->cl, &config->cf,
                               &config->cp, &config->ctu, &config->ch, &config->cfl}) {
            field->Empty();
        }
        config->cb.clear();
        config->publisherId.clear();
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

    std::shared_ptr<ConfigurationManager> config;
    std::unique_ptr<CTallwickDlg> dialog;
    SleepRecorder sleeps;
    MessageBoxRecorder boxes;
};

}  // namespace wizard_run
