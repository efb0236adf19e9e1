#include <gtest/gtest.h>

#include <algorithm>

#include "api/ApiManager.h"
#include "api/Package.h"
#include "app/MainPackage.h"
#include "config/ConfigurationManager.h"
#include "support/ServiceControl.h"

namespace {

using nlohmann::json;

// The main dialog's start and quit events, delivered to the reference service.
class MainPackage : public testing::Test {
protected:
    void SetUp() override {
        service::Reset();
        config = ConfigurationManager::GetInstance();
        config->shownOffers.clear();
        config->mainPackage.reset();
    }
    void TearDown() override {
        config->shownOffers.clear();
        config->mainPackage.reset();
    }

    std::shared_ptr<Package> Offer(const std::string& id) {
        const json element = {{"ad", {{"f", "F"}, {"o", id}}},
                              {"ps", {{"i", "i.png"}, {"dn", "Offer"}, {"u", "/f/o.exe"}}}};
        return std::make_shared<Package>(ApiManager::GetInstance()->CreateSignedRequest(), element,
                                         false, "", 0);
    }

    // (key "5", key "6") of every recorded event, in arrival order.
    static std::vector<std::pair<std::string, std::string>> Events() {
        std::vector<std::pair<std::string, std::string>> events;
        for (const json& row : service::Events()) {
            events.emplace_back(row.at("event").at("5"), row.at("event").at("6"));
        }
        return events;
    }

    std::shared_ptr<ConfigurationManager> config;
    SleepRecorder sleeps;
};

}  // namespace

TEST_F(MainPackage, CreatingTheMainPackageReportsTheStartEvent) {
    config->productTitle = L"Kestrano";
    auto package = CreateMainPackage(L"Kestrano_DLM", L"fl", L"Kestrano", L"ch1");
    ASSERT_TRUE(package);
    package->WaitForPendingEvents();

    EXPECT_TRUE(package->isMain);
    EXPECT_EQ(package->o, "Kestrano_DLM");
    EXPECT_EQ(Events(), (std::vector<std::pair<std::string, std::string>>{{"Kestrano", "1"}}));
    EXPECT_FALSE(package->reportClosed);
}

TEST_F(MainPackage, QuittingReportsEveryShownOfferThenTheMainProductAndWaits) {
    config->productTitle = L"Product";
    config->mainPackage = CreateMainPackage(L"", L"", L"", L"");
    config->mainPackage->WaitForPendingEvents();
    RefreshMainPackage(config->mainPackage, L"Product", L"", L"Product", L"");

    auto declined = Offer("declined");
    declined->SendEvent(4);
    declined->WaitForPendingEvents();
    config->shownOffers = {Offer("first"), declined, Offer("second")};
    service::Reset();

    SendExitEventsAndWait();

    // Each send has finished when the call returns; the declined offer was
    // already reported and sends nothing more. The events leave together, so
    // they may arrive in any order.
    auto events = Events();
    std::sort(events.begin(), events.end());
    EXPECT_EQ(events, (std::vector<std::pair<std::string, std::string>>{
                          {"Product", "5"}, {"first", "5"}, {"second", "5"}}));
    for (const auto& package : config->shownOffers) {
        EXPECT_TRUE(package->reportClosed);
    }
    EXPECT_TRUE(config->mainPackage->reportClosed);
}
