#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ConfigurationGuard.h"
#include "api/ApiManager.h"
#include "api/Package.h"
#include "support/ServiceControl.h"

namespace {

using nlohmann::json;

json OfferElement(const std::string& id) {
    return {{"ad", {{"f", "F-" + id}, {"o", id}}},
            {"ps", {{"i", "i.png"}, {"dn", "Offer"}, {"u", "/f/o.exe"}, {"c", "camp"}}}};
}

class PackageAnalyticsTest : public testing::Test {
protected:
    void SetUp() override {
        service::Reset();
        config->machineId = "mid-1";
        config->requestTimestamp = "20261210013000";
        config->productTitle = L"Title";
        identity = ApiManager::GetInstance()->CreateSignedRequest();
    }

    std::shared_ptr<Package> Offer(const std::string& id, int32_t index = 0) {
        return std::make_shared<Package>(identity, OfferElement(id), false, "", index);
    }

    // The body on the wire for an event of a package.
    static std::string WireBody(const json& eventBody) {
        return json{{"table", "zb_analytics"}, {"data", eventBody.dump()}}.dump();
    }

    ConfigurationGuard config;
    SleepRecorder sleeps;
    SignedRequest identity;
};

TEST_F(PackageAnalyticsTest, EveryEventCodeArrivesInTheDatabase) {
    struct Case {
        int32_t code;
        json fields;
        const char* keyTwelve;
        const char* keyThirteen;
        bool closes;
    } cases[] = {
        {1, nullptr, "", "", false},
        {2, {{"13", "LOWRAM"}}, "", "LOWRAM", true},
        {3, nullptr, "", "", true},
        {4, json::object(), "", "", true},
        {5, nullptr, "", "", true},
        {-1, {{"12", "DOWNLOAD FAILED: timeout"}}, "DOWNLOAD FAILED: timeout", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        service::Reset();
        auto package = Offer("offer-" + std::to_string(c.code), 1);
        package->SendEvent(c.code, c.fields);
        package->WaitForPendingEvents();
        EXPECT_EQ(c.closes, package->reportClosed.load());

        // The identification block with the offer's own keys and the event's.
        json expected = identity.body;
        expected["5"] = "offer-" + std::to_string(c.code);
        expected["6"] = std::to_string(c.code);
        expected["10"] = 2;
        expected["12"] = c.keyTwelve;
        expected["13"] = c.keyThirteen;
        expected["16"] = "camp";
        expected["17"] = "2";
        expected["18"] = "F-offer-" + std::to_string(c.code);

        json events = service::Events();
        ASSERT_EQ(1u, events.size());
        const json& row = events[0];
        EXPECT_EQ(WireBody(expected), service::FromHex(row.at("raw_body_hex")));
        EXPECT_EQ(expected, row.at("event"));
        // The signature first, then the transport's two.
        std::vector<std::string> names;
        for (const auto& header : row.at("headers")) {
            const std::string name = header.at(0);
            if (name == "Authorization" || name == "Expect" || name == "Content-Type") {
                names.push_back(name);
            }
            if (name == "Authorization") {
                EXPECT_EQ(74u, header.at(1).get<std::string>().size());
            }
        }
        EXPECT_EQ((std::vector<std::string>{"Authorization", "Expect", "Content-Type"}), names);
        EXPECT_TRUE(sleeps.Pauses().empty());
    }
}

TEST_F(PackageAnalyticsTest, DataIsTheSerialisedBodyAsAString) {
    auto package = Offer("o1");
    package->SendEvent(-1);
    package->WaitForPendingEvents();
    auto requests = service::Requests("/zbd");
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(0u, requests[0].body.find("{\"data\":\"{\\\"0\\\":\\\"\\\",\\\"1\\\":\\\"mid-1\\\","))
        << requests[0].body;
    EXPECT_NE(std::string::npos, requests[0].body.find("\\\"6\\\":\\\"-1\\\""));
    EXPECT_NE(std::string::npos, requests[0].body.find("\"table\":\"zb_analytics\"}"));
}

TEST_F(PackageAnalyticsTest, MainProductReportsWithItsTitle) {
    Package main(identity, true, L"", L"", L"", L"", 0);
    main.SendEvent(1);
    main.WaitForPendingEvents();
    json events = service::Events();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ("Title", events[0].at("event").at("5"));
    EXPECT_EQ(1, events[0].at("event").at("10"));
    EXPECT_EQ("1", events[0].at("event").at("6"));
    EXPECT_FALSE(main.reportClosed);
}

TEST_F(PackageAnalyticsTest, FieldsFillOnlyExistingKeys) {
    struct Case {
        const char* name;
        json fields;
        std::function<void(json&)> expect;
    } cases[] = {
        {"unknown key dropped", {{"99", "x"}, {"zz", 1}}, [](json&) {}},
        {"code overwritten", {{"6", "override"}}, [](json& b) { b["6"] = "override"; }},
        {"non-text value",
         {{"13", {{"nested", true}}}, {"15", 7}},
         [](json& b) {
             b["13"] = {{"nested", true}};
             b["15"] = 7;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service::Reset();
        auto package = Offer("o2");
        package->SendEvent(1, c.fields);
        package->WaitForPendingEvents();
        json expected = package->analyticsBody;
        expected["6"] = "1";
        c.expect(expected);
        json events = service::Events();
        ASSERT_EQ(1u, events.size());
        EXPECT_EQ(expected, events[0].at("event"));
    }
}

TEST_F(PackageAnalyticsTest, UnsendableEventsAreDroppedWithoutRetry) {
    struct Case {
        const char* name;
        json fields;
        const wchar_t* url;
    } cases[] = {
        {"fields an array", json::array({"13", "x"}), nullptr},
        {"fields a text", "13", nullptr},
        {"text not UTF-8", {{"12", "EXEC FAILED: \xE9t\xE9"}}, nullptr},
        {"transport failure", nullptr, L"not an address"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service::Reset();
        config->analyticsUrl = c.url ? CString(c.url) : CString(L"https://localhost/zbd");
        auto package = Offer("o3");
        package->SendEvent(4, c.fields);
        package->WaitForPendingEvents();
        EXPECT_EQ(0, package->pendingEvents);
        EXPECT_FALSE(package->reportClosed);
        EXPECT_TRUE(service::Requests().empty());
        EXPECT_TRUE(sleeps.Pauses().empty());
    }
}

TEST_F(PackageAnalyticsTest, AServiceAnswering500TwiceIsTriedExactlyTwice) {
    service::SetScenario({{"path", "/zbd"}, {"responses", {{{"status", 500}}, {{"status", 500}}}}});
    auto package = Offer("o4");
    package->SendEvent(4);
    package->WaitForPendingEvents();
    EXPECT_EQ(2u, service::Requests("/zbd").size());
    EXPECT_EQ((std::vector<unsigned>{5000, 5000}), sleeps.Pauses());
    EXPECT_FALSE(package->reportClosed);
    EXPECT_TRUE(service::Events().empty());
    // Nothing is sent later on its own.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(2u, service::Requests("/zbd").size());
}

TEST_F(PackageAnalyticsTest, ASecondAttemptDeliversAfterOneFailure) {
    service::SetScenario({{"path", "/zbd"}, {"responses", {{{"status", 503}}}}});
    auto package = Offer("o5");
    package->SendEvent(3);
    package->WaitForPendingEvents();
    EXPECT_EQ(2u, service::Requests("/zbd").size());
    EXPECT_EQ(1u, service::Events().size());
    EXPECT_TRUE(package->reportClosed);
}

TEST_F(PackageAnalyticsTest, AfterAFinalEventQuittingSendsNothing) {
    auto declined = Offer("o6");
    declined->SendEvent(4);
    declined->WaitForPendingEvents();
    ASSERT_TRUE(declined->reportClosed);
    declined->SendEvent(5);
    EXPECT_EQ(0, declined->pendingEvents);
    declined->WaitForPendingEvents();
    EXPECT_EQ(1u, service::Requests("/zbd").size());
}

TEST_F(PackageAnalyticsTest, ALateStartEventDoesNotReopenAClosedPackage) {
    // The start event is held by the service until the decline has been
    // delivered; its late success must not make quitting report again.
    service::SetScenario({{"path", "/zbd"}, {"responses", {{{"delay", 1.5}}}}});
    auto package = Offer("o7");
    package->SendEvent(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    package->SendEvent(4);
    package->WaitForPendingEvents();
    ASSERT_EQ(2u, service::Events().size());
    EXPECT_TRUE(package->reportClosed);
    package->SendEvent(5);
    package->WaitForPendingEvents();
    EXPECT_EQ(2u, service::Events().size());
}

// A sender takes the analytics address its event was started with: it never
// reads the configuration itself, which may already be gone when it runs.
TEST_F(PackageAnalyticsTest, SendersUseTheAddressOfTheMomentTheEventWasStarted) {
    config->analyticsUrl = L"https://localhost/zbd";
    auto package = Offer("o9");
    for (int i = 0; i < 5; ++i) {
        package->SendEvent(1);
    }
    config->analyticsUrl = L"not an address";
    package->WaitForPendingEvents();
    EXPECT_EQ(5u, service::Requests("/zbd").size());
}

// Sends in flight hold their package: dropping the last owner loses no
// event, and the package goes once its last send has finished.
TEST_F(PackageAnalyticsTest, EventsInFlightHoldTheirPackageAndAreNotLost) {
    service::SetScenario(
        {{"path", "/zbd"}, {"responses", {{{"delay", 0.5}}, {{"delay", 0.5}}, {{"delay", 0.5}}}}});
    auto package = Offer("o8");
    for (int code : {1, 1, 1}) {
        package->SendEvent(code);
    }
    EXPECT_GT(package->pendingEvents, 0);
    const std::weak_ptr<Package> watched = package;
    package.reset();
    EXPECT_FALSE(watched.expired());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!watched.expired() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(3u, service::Events().size());
}

}  // namespace
