#include <windows.h>

#include <gtest/gtest.h>
#include <versionhelpers.h>

#include <algorithm>

#include "api/HttpPost.h"
#include "api/TallwickException.h"
#include "support/ServiceControl.h"

namespace {

// Headers a test sets itself, in the order they arrived; the transport's own
// (Host, Content-Length, Connection ...) are left out.
std::vector<std::string> CallerHeaders(const service::RecordedRequest& request) {
    static const char* const kOwn[] = {"Authorization", "Expect", "Content-Type", "X-Extra"};
    std::vector<std::string> names;
    for (const auto& header : request.headers) {
        for (const char* own : kOwn) {
            if (header.first == own) {
                names.push_back(header.first + ": " + header.second);
            }
        }
    }
    return names;
}

class PostJsonTest : public testing::Test {
protected:
    void SetUp() override { service::Reset(); }
};

TEST_F(PostJsonTest, SendsCallerHeadersFirstThenExpectAndContentType) {
    struct Case {
        HeaderList headers;
        std::vector<std::string> expected;
    } cases[] = {
        {{}, {"Expect: 100-continue", "Content-Type: application/json"}},
        {{{L"Authorization", L"Signature=abc"}},
         {"Authorization: Signature=abc", "Expect: 100-continue",
          "Content-Type: application/json"}},
        {{{L"X-Extra", L"1"}, {L"X-Extra", L"2"}},
         {"X-Extra: 1", "X-Extra: 2", "Expect: 100-continue", "Content-Type: application/json"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected.front());
        service::Reset();
        std::string response;
        uint32_t status = 0;
        ASSERT_TRUE(PostJson(L"https://localhost/zbd", "{}", c.headers, response, status));
        EXPECT_EQ(200u, status);
        auto requests = service::Requests();
        ASSERT_EQ(1u, requests.size());
        EXPECT_EQ("POST", requests[0].method);
        EXPECT_EQ(c.expected, CallerHeaders(requests[0]));
    }
}

TEST_F(PostJsonTest, AlwaysPostsOverTlsToPort443WithoutTheQuery) {
    // UTF-8 bytes beyond ASCII must arrive unchanged.
    const std::string body = "{\"name\":\"Caf\xC3\xA9\",\"n\":1}";
    struct Case {
        const wchar_t* url;
        const char* target;
    } cases[] = {
        {L"https://localhost/p1?x=1&y=2", "/p1"},
        {L"https://localhost:8443/p2", "/p2"},
        {L"http://localhost/p3", "/p3"},
        {L"http://localhost:8780/p4", "/p4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        service::Reset();
        std::string response;
        uint32_t status = 0;
        ASSERT_TRUE(PostJson(c.url, body, {}, response, status));
        EXPECT_EQ(404u, status);  // unknown paths answer 404
        auto requests = service::Requests();
        ASSERT_EQ(1u, requests.size());
        EXPECT_EQ(c.target, requests[0].target);
        EXPECT_EQ(body, requests[0].body);
        auto answer = service::Control(L"GET", L"/_control/requests");
        EXPECT_NE(std::string::npos, answer.second.find("\"scheme\": \"https\""));
    }
}

TEST_F(PostJsonTest, ReturnsBodyAndStatusOfEveryResponseShape) {
    struct Case {
        const char* name;
        nlohmann::json response;
        uint32_t status;
        std::string body;
    } cases[] = {
        {"chunks concatenated", {{"chunks", {"{\"a\":", "[1,2", "]}"}}}, 200, "{\"a\":[1,2]}"},
        {"404 with a body", {{"status", 404}, {"body", "missing here"}}, 404, "missing here"},
        {"no Content-Length",
         {{"body", "until close"}, {"content_length", "omit"}},
         200,
         "until close"},
        {"empty 503", {{"status", 503}}, 503, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service::Reset();
        service::SetScenario({{"path", "/o"}, {"responses", {c.response}}});
        std::string response = "kept:";
        uint32_t status = 0;
        ASSERT_TRUE(PostJson(L"https://localhost/o", "{}", {}, response, status));
        EXPECT_EQ(c.status, status);
        EXPECT_EQ("kept:" + c.body, response);  // appended, not replaced
    }
}

TEST_F(PostJsonTest, BodyCutShortKeepsWhatArrived) {
    service::SetScenario(
        {{"path", "/o"},
         {"responses", {{{"body", "0123456789"}, {"content_length", 10}, {"cut", 4}}}}});
    std::string response;
    uint32_t status = 0;
    ASSERT_TRUE(PostJson(L"https://localhost/o", "{}", {}, response, status));
    EXPECT_EQ(200u, status);
    EXPECT_EQ(0u, std::string("0123456789").find(response)) << response;
}

TEST_F(PostJsonTest, BodyEndsAtItsFirstNulByte) {
    std::string response;
    uint32_t status = 0;
    ASSERT_TRUE(
        PostJson(L"https://localhost/zbd", std::string("{}\0tail", 7), {}, response, status));
    auto requests = service::Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("{}", requests[0].body);
}

TEST_F(PostJsonTest, UrlThatCannotBeSplitThrowsBeforeAnyTraffic) {
    for (const wchar_t* url : {L"", L"not a url", L"localhost/o"}) {
        std::string response;
        uint32_t status = 0;
        EXPECT_THROW(PostJson(url, "{}", {}, response, status), TallwickException);
    }
    EXPECT_TRUE(service::Requests().empty());
}

}  // namespace

namespace {

// These two run in the Windows 7 prefix only (see CMakeLists.txt). The service
// accepts TLS 1.2 and later, so a post that arrives proves the session offered
// the newer protocols that Service Pack 1 brings.
TEST(PostJsonOnWindows7, WithServicePack1PostsOverTls12) {
    ASSERT_TRUE(IsWindowsVersionOrGreater(6, 1, 1));
    ASSERT_FALSE(IsWindowsVersionOrGreater(6, 2, 0));
    service::Reset();
    std::string response;
    uint32_t status = 0;
    ASSERT_TRUE(PostJson(L"https://localhost/zbd", "{}", {}, response, status));
    EXPECT_EQ(200u, status);
    EXPECT_EQ(1u, service::Requests("/zbd").size());
}

TEST(PostJsonOnWindows7, WithoutServicePackIsRefusedBeforeAnythingIsSent) {
    ASSERT_TRUE(IsWindowsVersionOrGreater(6, 1, 0));
    ASSERT_FALSE(IsWindowsVersionOrGreater(6, 1, 1));
    service::Reset();
    std::string response;
    uint32_t status = 0;
    EXPECT_THROW(PostJson(L"https://localhost/zbd", "{}", {}, response, status), TallwickException);
    EXPECT_TRUE(service::Requests().empty());
}

}  // namespace
