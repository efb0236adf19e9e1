// The configuration request and the analytics sends against a service that
// answers wrongly: every hostile answer is a failed request within a bound,
// a body beyond any configuration's size is refused instead of held, and the
// exit events end within their deadline whatever the service does.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>

#include "ConfigurationGuard.h"
#include "api/ApiManager.h"
#include "api/Package.h"
#include "api/TallwickException.h"
#include "app/MainPackage.h"
#include "support/RunState.h"
#include "support/ServiceControl.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

const std::string kConfiguration =
    "{\"l\":\"US\",\"i\":{\"ct\":\"Product\",\"cu\":\"https://localhost/f/p.exe\"},"
    "\"f\":{\"a\":\"p1\",\"m\":2},\"o\":[]}";

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

size_t PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize / (1024 * 1024);
}

json Repeated(const json& response, int times) {
    json responses = json::array();
    for (int i = 0; i < times; ++i) {
        responses.push_back(response);
    }
    return responses;
}

class HostileConfigurationService : public testing::Test {
protected:
    void SetUp() override {
        service::Reset();
        config->localeName = L"en_US";
        config->closing = false;
    }
    void TearDown() override { config->closing = false; }

    ConfigurationGuard config;
    SleepRecorder sleeps;  // the retry pauses return at once
};

// Each answer ends in an exception, which the loading page turns into the
// error page (DLM) or no offers (ISV), and none holds the worker for longer
// than the request's time limits allow.
TEST_F(HostileConfigurationService, EveryHostileAnswerFailsTheRequestWithinItsBound) {
    const struct {
        const char* label;
        json responses;
        double atMostSeconds;
    } cases[] = {
        {"no answer at all", Repeated({{"delay", 30}}, 3), 15},
        {"stall after the headers",
         Repeated({{"body", kConfiguration}, {"cut", 0}, {"stall", 60}}, 3), 15},
        {"one byte a second", Repeated({{"body", kConfiguration}, {"pace", {1, 1}}}, 3), 25},
        {"connection closed mid-body", Repeated({{"body", kConfiguration}, {"cut", 40}}, 3), 5},
        {"connection dropped", Repeated({{"drop", true}}, 3), 5},
        {"endless redirects", Repeated({{"redirect", "https://localhost/o"}, {"status", 307}}, 40),
         10},
        {"redirect to ftp", Repeated({{"redirect", "ftp://localhost/o"}}, 3), 5},
        {"redirect to a file", Repeated({{"redirect", "file:///C:/windows/win.ini"}}, 3), 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        service::Reset();
        service::SetScenario({{"path", "/o"}, {"responses", c.responses}});
        const auto start = Clock::now();
        EXPECT_THROW(ApiManager::GetInstance()->RequestConfiguration(), std::exception);
        const double took = SecondsSince(start);
        EXPECT_LT(took, c.atMostSeconds);
        std::printf("hostile configuration answer: %-28s failed after %5.1f s\n", c.label, took);
    }
}

// The cap sits at 16 MiB: a configuration padded to 4 MiB still reads, a
// body of 17 MiB is a failed request, and the process never holds much more
// than the cap.
TEST_F(HostileConfigurationService, ABodyAboveTheSizeCapIsAFailedRequest) {
    const std::string padded = kConfiguration + std::string(4 * 1024 * 1024, ' ');
    service::SetScenario({{"path", "/o"}, {"responses", {{{"body", padded}}}}});
    auto response = ApiManager::GetInstance()->RequestConfiguration();
    ASSERT_TRUE(response);
    EXPECT_EQ(json::parse(kConfiguration), *response);
    response.reset();

    const size_t before = PeakWorkingSetMiB();
    service::Reset();
    service::SetScenario(
        {{"path", "/o"}, {"responses", Repeated({{"body_size", 17 * 1024 * 1024}}, 3)}});
    EXPECT_THROW(ApiManager::GetInstance()->RequestConfiguration(), TallwickException);
    const size_t peak = PeakWorkingSetMiB();
    // The refused attempt ends the request: a failed request is not retried
    // when the transport gave up.
    EXPECT_EQ(1u, service::Requests("/o").size());
    EXPECT_LT(peak, 128u);
    std::printf("peak working set: %zu MiB before, %zu MiB after a 17 MiB configuration body\n",
                before, peak);
}

// Quitting closes the request being read: the worker does not wait out a
// body that drips, and no further attempt starts.
TEST_F(HostileConfigurationService, QuittingGivesUpTheBodyBeingRead) {
    service::SetScenario(
        {{"path", "/o"}, {"responses", Repeated({{"body", kConfiguration}, {"pace", {1, 1}}}, 3)}});
    auto config = ConfigurationManager::GetInstance();
    auto request = std::async(std::launch::async,
                              [] { return ApiManager::GetInstance()->RequestConfiguration(); });
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const auto quit = Clock::now();
    config->closing = true;
    EXPECT_THROW(request.get(), TallwickException);
    EXPECT_LT(SecondsSince(quit), 3.0);
    EXPECT_EQ(1u, service::Requests("/o").size());
}

// The exit events of a run, against a service that answers 500 to each,
// stalls, or drips: with the real retry pauses.
class HostileAnalyticsAtQuit : public testing::Test {
protected:
    void SetUp() override {
        service::Reset();
        ForgetEarlierRun(*ConfigurationManager::GetInstance());
        config->productTitle = L"Product";
        config->analyticsUrl = L"https://localhost/zbd";
    }
    void TearDown() override { ForgetEarlierRun(*ConfigurationManager::GetInstance()); }

    void ShowThreeOffers() {
        auto manager = ConfigurationManager::GetInstance();
        for (const char* id : {"first", "second", "third"}) {
            const json element = {{"ad", {{"f", "F"}, {"o", id}}},
                                  {"ps", {{"i", "i.png"}, {"dn", "Offer"}, {"u", "/f/o.exe"}}}};
            manager->shownOffers.push_back(std::make_shared<Package>(
                ApiManager::GetInstance()->CreateSignedRequest(), element, false, "", 0));
        }
        manager->mainPackage =
            std::make_shared<Package>(ApiManager::GetInstance()->CreateSignedRequest(), true,
                                      L"Product", L"", L"Product", L"", 0);
    }

    ConfigurationGuard config;
};

TEST_F(HostileAnalyticsAtQuit, EveryEventGetsItsRetryAndTheQuitStaysBounded) {
    service::SetScenario({{"path", "/zbd"}, {"responses", Repeated({{"status", 500}}, 8)}});
    ShowThreeOffers();
    const auto start = Clock::now();
    SendExitEventsAndWait();
    const double took = SecondsSince(start);
    // Two attempts for each of the four packages, all retried in parallel.
    EXPECT_EQ(8u, service::Requests("/zbd").size());
    EXPECT_LT(took, 16.0);
    for (const auto& package : ConfigurationManager::GetInstance()->shownOffers) {
        EXPECT_FALSE(package->reportClosed);
    }
    std::printf("exit events answered 500: %.1f s\n", took);
}

TEST_F(HostileAnalyticsAtQuit, AServiceThatStallsOrDripsIsGivenUpAtTheDeadline) {
    const struct {
        const char* label;
        json response;
    } cases[] = {
        {"no answer at all", {{"delay", 30}}},
        {"one byte a second", {{"body", std::string(60, 'x')}, {"pace", {1, 1}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        service::Reset();
        ForgetEarlierRun(*ConfigurationManager::GetInstance());
        service::SetScenario({{"path", "/zbd"}, {"responses", Repeated(c.response, 8)}});
        ShowThreeOffers();
        const auto start = Clock::now();
        SendExitEventsAndWait();
        const double took = SecondsSince(start);
        EXPECT_LT(took, 16.5);
        std::printf("exit events, %s: given up after %.1f s\n", c.label, took);
    }
}

}  // namespace
