#include <gtest/gtest.h>

#include <regex>

#include "BuildVersion.h"
#include "api/ApiManager.h"
#include "api/DownloadToken.h"
#include "api/OsVersion.h"
#include "api/Sha256.h"
#include "ConfigurationGuard.h"

namespace {

using nlohmann::json;

TEST(Sha256HexTest, MatchesPublishedDigests) {
    struct Case {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {std::string("\0\xff", 2),
         "06eb7d6a69ee19e5fbdf749018d3d2abfa04bcbd1365db312eb86dc7169389b8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.size());
        EXPECT_EQ(c.digest, Sha256Hex(c.input));
    }
}

TEST(CreateSignedRequestTest, SignatureIsTheDigestOfMachineIdAndTimestampJoined) {
    // Each pair joins to "abc": no separator between the two.
    struct Case {
        const char* machineId;
        const char* timestamp;
    } cases[] = {{"ab", "c"}, {"a", "bc"}};
    ConfigurationGuard config;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.machineId) + "|" + c.timestamp);
        config->machineId = c.machineId;
        config->requestTimestamp = c.timestamp;
        SignedRequest request = ApiManager::GetInstance()->CreateSignedRequest();
        ASSERT_EQ(1u, request.headers.size());
        EXPECT_EQ(L"Authorization", request.headers[0].first);
        EXPECT_EQ(L"Signature=ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                  request.headers[0].second);
        EXPECT_EQ(74u, request.headers[0].second.size());
        EXPECT_EQ(c.machineId, request.body.at("1").get<std::string>());
        EXPECT_EQ(c.timestamp, request.body.at("2").get<std::string>());
    }
}

TEST(CreateSignedRequestTest, BodyHoldsTheNumberedIdentificationFields) {
    ConfigurationGuard config;
    config->machineId = "0b1c2d3e-4f50-6172-8394-a5b6c7d8e9f0";
    config->requestTimestamp = "20261210012345";
    config->cfl = L"flavourCfl";
    config->ch = L"chan";
    config->productTitle = L"Product Title";

    auto api = ApiManager::GetInstance();
    SignedRequest request = api->CreateSignedRequest();
    json expected = json::object();
    for (int key = 0; key <= 22; ++key) {
        expected[std::to_string(key)] = "";
    }
    expected["1"] = "0b1c2d3e-4f50-6172-8394-a5b6c7d8e9f0";
    expected["2"] = "20261210012345";
    expected["3"] = "Kestrano";
    expected["4"] = "Kestrano_DLM";
    expected["7"] = TALLWICK_VERSION_TEXT;
    expected["15"] = 0;
    expected["19"] = "flavourCfl";
    expected["21"] = "chan";
    expected["22"] = "Product Title";
    expected["31"] = GetOsVersionString();
    expected["38"] = "1";  // this test runs as a 32-bit process on 64-bit Windows
    EXPECT_EQ(expected.dump(), request.body.dump());

    // A second block of the same run carries the same identity and signature.
    SignedRequest again = api->CreateSignedRequest();
    EXPECT_EQ(request.body, again.body);
    EXPECT_EQ(request.headers, again.headers);
    EXPECT_TRUE(std::regex_match(
        std::string(request.headers[0].second.begin() + 10, request.headers[0].second.end()),
        std::regex("[0-9a-f]{64}")));
}

TEST(OsVersionTest, ReportsMajorMinorAndBuild) {
    const std::string version = GetOsVersionString();
    EXPECT_TRUE(std::regex_match(version, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+"))) << version;
    EXPECT_EQ(0u, version.find("10.0.")) << "the Wine prefixes report Windows 10";
}

TEST(DownloadTokenTest, TakesSevenCharactersWithAHyphenAfterTheLastUnderscore) {
    struct Case {
        const wchar_t* path;
        const wchar_t* token;
    } cases[] = {
        {L"C:\\d\\setup_ab12-cd.exe", L"ab12-cd"},
        {L"C:\\d\\setup_ab12-cd", L"ab12-cd"},
        {L"C:\\d\\setup_x_ab12-cd.tar.exe", L""},  // "ab12-cd.tar" is 11 long
        {L"C:\\d\\a_b\\ab12-cd.exe", L""},         // the folder's underscore counts
        {L"C:\\d\\setup_abc.exe", L""},
        {L"C:\\d\\setup.exe", L""},
        {L"C:\\d\\setup_abcdefg.exe", L""},  // no hyphen
        {L"C:\\d\\setup_ab12-cde.exe", L""},
        {L"C:\\d\\setup_.exe", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.path).size());
        EXPECT_EQ(CString(c.token), DownloadTokenFromPath(c.path));
    }
    // This program is built with a token in its name.
    EXPECT_EQ(CString(L"ab12-cd"), GetDownloadToken());
}

}  // namespace

namespace {

// Runs in the 32-bit prefix only, where the process is not under WOW64.
TEST(CreateSignedRequestTest, ReportsNoWow64On32BitWindows) {
    ConfigurationGuard config;
    config->machineId = "m";
    config->requestTimestamp = "20261210000000";
    EXPECT_EQ("0", ApiManager::GetInstance()->CreateSignedRequest().body.at("38"));
}

}  // namespace
