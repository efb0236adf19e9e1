#include <gtest/gtest.h>

#include "BuildVersion.h"
#include "ConfigurationGuard.h"
#include "api/ApiManager.h"
#include "api/OsVersion.h"
#include "api/TallwickException.h"
#include "support/ServiceControl.h"

namespace {

using nlohmann::json;

class ConfigurationRequestTest : public testing::Test {
protected:
    void SetUp() override {
        service::Reset();
        config->localeName = L"en_US";
    }

    std::unique_ptr<json> Request() { return ApiManager::GetInstance()->RequestConfiguration(); }

    ConfigurationGuard config;
    SleepRecorder sleeps;
};

TEST_F(ConfigurationRequestTest, PostsTheExactBodyAndReturnsTheParsedAnswer) {
    const std::string answer = "{\"l\":\"US\",\"f\":{\"a\":\"p1\",\"m\":2},\"o\":[]}";
    service::SetScenario({{"path", "/o"}, {"responses", {{{"body", answer}}}}});

    auto response = Request();

    ASSERT_TRUE(response);
    EXPECT_EQ(json::parse(answer), *response);
    auto requests = service::Requests("/o");
    ASSERT_EQ(1u, requests.size());
    // Keys in byte order, compact; "u" is the token in this program's name.
    EXPECT_EQ(std::string("{\"a\":\"Kestrano\",\"i\":\"Kestrano_DLM\",\"l\":\"en\",\"o\":\"") +
                  GetOsVersionString() +
                  "\",\"plv\":\"" TALLWICK_VERSION_TEXT
                  "\",\"prv\":\"0.1\",\"s\":\"Kestrano_3vex\",\"u\":\"ab12-cd\"}",
              requests[0].body);
    EXPECT_TRUE(sleeps.Pauses().empty());
}

TEST_F(ConfigurationRequestTest, SendsTheLanguageCodeOfTheLocaleName) {
    struct Case {
        const wchar_t* localeName;
        const char* code;
    } cases[] = {{L"en_US", "en"}, {L"ES_mx", "es"}, {L"E", "e"}, {L"", ""}, {L"de", "de"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        service::Reset();
        config->localeName = c.localeName;
        Request();
        auto requests = service::Requests("/o");
        ASSERT_EQ(1u, requests.size());
        EXPECT_EQ(c.code, json::parse(requests[0].body).at("l").get<std::string>());
    }
}

TEST_F(ConfigurationRequestTest, RetriesABadStatusAndKeepsOnlyTheGoodAnswer) {
    service::SetScenario(
        {{"path", "/o"},
         {"responses",
          {{{"status", 500}, {"body", "{\"failed\":true}"}}, {{"body", "{\"second\":1}"}}}}});

    auto response = Request();

    EXPECT_EQ(json::parse("{\"second\":1}"), *response);
    auto requests = service::Requests("/o");
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(requests[0].body, requests[1].body);
    EXPECT_EQ(std::vector<unsigned>{5000}, sleeps.Pauses());
}

TEST_F(ConfigurationRequestTest, ThreeBadStatusesFailAfterThreeAttempts) {
    // An error answer's body is not a configuration, even when it is JSON.
    for (const char* body : {"", "{\"error\":\"overloaded\"}"}) {
        SCOPED_TRACE(body);
        service::Reset();
        SleepRecorder pauses;
        json bad = {{"status", 503}, {"body", body}};
        service::SetScenario({{"path", "/o"}, {"responses", {bad, bad, bad, {{"body", "{}"}}}}});

        EXPECT_THROW(Request(), TallwickException);

        EXPECT_EQ(3u, service::Requests("/o").size());
        EXPECT_EQ((std::vector<unsigned>{5000, 5000, 5000}), pauses.Pauses());
    }
}

TEST_F(ConfigurationRequestTest, RemovesWhitespaceEverywhereBeforeParsing) {
    service::SetScenario(
        {{"path", "/o"},
         {"responses",
          {{{"body", " {\r\n\t\"i\" : {\"ct\": \"Two Words\", \"esc\": \"a\\u0020b\"}\f\v}\n"}}}}});

    auto response = Request();

    EXPECT_EQ("TwoWords", response->at("i").at("ct").get<std::string>());
    EXPECT_EQ("a b", response->at("i").at("esc").get<std::string>());
}

TEST_F(ConfigurationRequestTest, RejectsEmptyAndMalformedAnswers) {
    struct Case {
        const char* name;
        const char* body;
        bool parseError;
    } cases[] = {
        {"empty", "", false},
        {"only whitespace", " \r\n\t\v\f ", false},
        {"not JSON", "{\"a\":", true},
        {"two values", "{}{}", true},
        {"text", "<html>oops</html>", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service::Reset();
        service::SetScenario({{"path", "/o"}, {"responses", {{{"body", c.body}}}}});
        if (c.parseError) {
            EXPECT_THROW(Request(), json::parse_error);
        } else {
            EXPECT_THROW(Request(), TallwickException);
        }
        EXPECT_EQ(1u, service::Requests("/o").size());
    }
}

TEST_F(ConfigurationRequestTest, FailsWithoutTrafficWhenThereIsNoAddress) {
    config->configUrl = L"";
    EXPECT_THROW(Request(), TallwickException);
    config->configUrl = L"no address";
    EXPECT_THROW(Request(), TallwickException);  // transport failure: no retry
    EXPECT_TRUE(service::Requests().empty());
    EXPECT_TRUE(sleeps.Pauses().empty());
}

}  // namespace
