#include <gtest/gtest.h>

#include <functional>

#include "ConfigurationGuard.h"
#include "api/Encoding.h"
#include "api/Package.h"
#include "config/PathMacros.h"

namespace {

using nlohmann::json;

SignedRequest Identity() {
    SignedRequest request;
    for (int key = 0; key <= 22; ++key) {
        request.body[std::to_string(key)] = "";
    }
    request.body["1"] = "machine";
    request.body["2"] = "20261210010203";
    request.body["15"] = 0;
    request.body["22"] = "Main Title";
    request.headers.emplace_back(L"Authorization", L"Signature=x");
    return request;
}

json MinimalOffer() {
    return {{"ad", {{"f", "offerF"}, {"o", "offer-7"}}},
            {"ps", {{"i", "img.png"}, {"dn", "Offer"}, {"u", "https://host.example/o.exe"}}}};
}

class PackageTest : public testing::Test {
protected:
    void SetUp() override {
        config->machineId = "machine";
        config->requestTimestamp = "20261210010203";
        config->countryCode = "US";
        config->publisherId = "pub7";
        config->cb = "cb9";
    }

    std::unique_ptr<Package> Offer(const json& element, int32_t index = 0) {
        return std::make_unique<Package>(Identity(), element, false, "", index);
    }

    ConfigurationGuard config;
};

TEST_F(PackageTest, ReadsEveryMemberOfAnOffer) {
    json element = MinimalOffer();
    json& ps = element["ps"];
    ps["p"] = "/S /pub={pubid}";
    ps["cp"] = "https://p.example/{cc}";
    ps["ctu"] = "https://t.example/{aflt}";
    ps["v"] = 4;
    ps["exc"] = true;
    ps["c"] = "camp-{ispb}";
    ps["disk"] = 100;
    ps["ram"] = 200u;
    ps["cpu"] = 300;
    ps["ov"] = -2;
    ps["pv"] = "{of}";
    ps["win64"] = true;
    ps["fe"] = {"{localappdata}\\Vendor\\a.exe"};
    ps["ife"] = {"C:\\plain.txt"};
    ps["a"] = {"chrome.exe", "Caf\xC3\xA9.exe"};
    ps["r"] = {"HKLM\\Software\\Caf\xC3\xA9"};
    ps["ir"] = {"ir1"};
    ps["rvn"] = {"rvn1"};
    ps["rvd"] = {"rvd1"};
    ps["eapp"] = {"e1"};
    ps["iapp"] = {"i1", "i2"};
    ps["cmdu"] = {
        {{"utr", "hklm"}, {"utk", "k"}, {"utvn", "n"}, {"utvt", "t"}, {"umd", 30}},
        {{"utr", "r"}, {"utk", "k"}, {"utvn", "n"}, {"utvt", "t"}, {"umd", 1}, {"utms", true}}};

    auto package = Offer(element, 2);

    EXPECT_FALSE(package->isMain);
    EXPECT_EQ("offerF", package->f);
    EXPECT_EQ("offer-7", package->o);
    EXPECT_EQ("img.png", package->i);
    EXPECT_EQ("Offer", package->dn);
    EXPECT_EQ("/S /pub=pub7", package->p);
    EXPECT_EQ("https://p.example/US", package->cp);
    EXPECT_EQ("https://t.example/91088", package->ctu);
    EXPECT_EQ(4, package->v);
    EXPECT_TRUE(package->exc);
    EXPECT_EQ("camp-cb9", package->c);
    EXPECT_EQ(100u, package->disk);
    EXPECT_EQ(200u, package->ram);
    EXPECT_EQ(300u, package->cpu);
    EXPECT_EQ(-2, package->ov);
    EXPECT_EQ("{of}", package->pv);  // never expanded
    EXPECT_TRUE(package->win64);
    ASSERT_EQ(1u, package->fe.size());
    EXPECT_EQ(ExpandPathMacros(L"{localappdata}\\Vendor\\a.exe"), package->fe[0]);
    EXPECT_EQ(-1, package->fe[0].Find(L'{'));
    EXPECT_EQ(std::vector<CString>{L"C:\\plain.txt"}, package->ife);
    EXPECT_EQ((std::vector<std::string>{"chrome.exe", "Caf\xC3\xA9.exe"}), package->a);
    EXPECT_EQ(std::vector<CString>{L"HKLM\\Software\\Caf\u00e9"}, package->r);
    EXPECT_EQ(std::vector<CString>{L"ir1"}, package->ir);
    EXPECT_EQ(std::vector<CString>{L"rvn1"}, package->rvn);
    EXPECT_EQ(std::vector<CString>{L"rvd1"}, package->rvd);
    EXPECT_EQ(std::vector<CString>{L"e1"}, package->eapp);
    EXPECT_EQ((std::vector<CString>{L"i1", L"i2"}), package->iapp);
    ASSERT_EQ(2u, package->cmdu.size());
    EXPECT_EQ(CString(L"hklm"), package->cmdu[0].utr);
    EXPECT_EQ(30, package->cmdu[0].umd);
    EXPECT_FALSE(package->cmdu[0].utms);
    EXPECT_TRUE(package->cmdu[1].utms);
    EXPECT_FALSE(package->requiresChrome || package->excludesChrome || package->checksIeVersion);
    EXPECT_FALSE(package->image);
    EXPECT_EQ(0, package->pendingEvents);
    EXPECT_FALSE(package->reportClosed);

    json body = Identity().body;
    body["5"] = "offer-7";
    body["10"] = 2;
    body["16"] = "camp-cb9";
    body["17"] = "3";
    body["18"] = "offerF";
    EXPECT_EQ(body, package->analyticsBody);
}

// File lists are read in the calling thread's code page (byte E0 is Cyrillic a
// in 1251), while the registry and application lists are UTF-8 whatever it is.
TEST_F(PackageTest, FileListsFollowTheThreadCodePage) {
    json element = MinimalOffer();
    element["ps"]["fe"] = {"C:\\\xE0.txt"};
    element["ps"]["ife"] = {"C:\\\xE0.ini"};
    element["ps"]["r"] = {"Caf\xC3\xA9"};
    const LCID before = ::GetThreadLocale();
    ASSERT_TRUE(
        ::SetThreadLocale(MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT)));
    auto package = Offer(element);
    ::SetThreadLocale(before);
    EXPECT_EQ(std::vector<CString>{L"C:\\\u0430.txt"}, package->fe);
    EXPECT_EQ(std::vector<CString>{L"C:\\\u0430.ini"}, package->ife);
    EXPECT_EQ(std::vector<CString>{L"Caf\u00e9"}, package->r);
}

TEST_F(PackageTest, OptionalMembersTakeTheirDefaults) {
    auto package = std::make_unique<Package>(Identity(), MinimalOffer(), false, "given-c", 0);
    EXPECT_EQ("", package->p);
    EXPECT_EQ("", package->cp);
    EXPECT_EQ("", package->ctu);
    EXPECT_EQ(0, package->v);
    EXPECT_FALSE(package->exc);
    EXPECT_EQ("given-c", package->c);
    EXPECT_EQ(0u, package->disk + package->ram + package->cpu);
    EXPECT_EQ(0, package->ov);
    EXPECT_FALSE(package->win64);
    EXPECT_TRUE(package->fe.empty() && package->a.empty() && package->r.empty() &&
                package->cmdu.empty());
    EXPECT_EQ("1", package->analyticsBody.at("17"));
}

TEST_F(PackageTest, ConvertsNumbersAsTheJsonLibraryDoes) {
    struct Case {
        json value;
        uint64_t disk;
    } cases[] = {{2000.7, 2000}, {true, 1}, {false, 0}, {7u, 7}, {-0.5, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.dump());
        json element = MinimalOffer();
        element["ps"]["disk"] = c.value;
        EXPECT_EQ(c.disk, Offer(element)->disk);
    }
}

TEST_F(PackageTest, PresetsOverwriteTheFieldsTheyName) {
    struct Case {
        int x;
        std::function<void(const Package&)> check;
    } cases[] = {
        {1,
         [](const Package& p) {
             EXPECT_EQ(2500u, p.disk);
             EXPECT_EQ(250u, p.ram);
             EXPECT_EQ(3000u, p.cpu);  // not named by the preset: kept
         }},
        {2,
         [](const Package& p) {
             EXPECT_TRUE(p.requiresChrome);
             EXPECT_TRUE(p.checksIeVersion);
             EXPECT_FALSE(p.excludesChrome);
         }},
        {3,
         [](const Package& p) {
             EXPECT_EQ(512u, p.disk);
             EXPECT_EQ(1536u, p.ram);
             EXPECT_EQ(1500u, p.cpu);
         }},
        {10, [](const Package& p) { EXPECT_TRUE(p.win64); }},
        {12,
         [](const Package& p) {
             EXPECT_TRUE(p.requiresChrome);
             EXPECT_FALSE(p.checksIeVersion);
         }},
        {13, [](const Package& p) { EXPECT_TRUE(p.excludesChrome); }},
        {99,
         [](const Package& p) {
             EXPECT_EQ(9u, p.disk);
             EXPECT_EQ(3000u, p.cpu);
             EXPECT_FALSE(p.win64 || p.requiresChrome || p.excludesChrome);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        json element = MinimalOffer();
        element["ps"]["x"] = c.x;
        element["ps"]["cpu"] = 3000;
        element["ps"]["disk"] = 9;
        element["ps"]["win64"] = false;
        c.check(*Offer(element));
    }
}

TEST_F(PackageTest, MalformedOffersRaiseTheLibrarysErrors) {
    struct Case {
        const char* name;
        std::function<void(json&)> mutate;
        int id;
        std::string message;
    } cases[] = {
        {"no dn", [](json& e) { e["ps"].erase("dn"); }, 403, "key 'dn' not found"},
        {"no ad.o", [](json& e) { e["ad"].erase("o"); }, 403, "key 'o' not found"},
        {"no ps", [](json& e) { e.erase("ps"); }, 403, "key 'ps' not found"},
        {"ad a number", [](json& e) { e["ad"] = 5; }, 304, "cannot use at() with number"},
        {"ps an array", [](json& e) { e["ps"] = json::array(); }, 304,
         "cannot use at() with array"},
        {"dn a number", [](json& e) { e["ps"]["dn"] = 1; }, 302,
         "type must be string, but is number"},
        {"disk a text", [](json& e) { e["ps"]["disk"] = "2000"; }, 302,
         "type must be number, but is string"},
        {"exc a number", [](json& e) { e["ps"]["exc"] = 1; }, 302,
         "type must be boolean, but is number"},
        {"r element a number", [](json& e) { e["ps"]["r"] = {1}; }, 302,
         "type must be string, but is number"},
        {"utms a number",
         [](json& e) {
             e["ps"]["cmdu"] = {{{"utr", "r"},
                                 {"utk", "k"},
                                 {"utvn", "n"},
                                 {"utvt", "t"},
                                 {"umd", 1},
                                 {"utms", 1}}};
         },
         302, "type must be boolean, but is number"},
        {"cmdu without umd",
         [](json& e) {
             e["ps"]["cmdu"] = {{{"utr", "r"}, {"utk", "k"}, {"utvn", "n"}, {"utvt", "t"}}};
         },
         403, "key 'umd' not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        json element = MinimalOffer();
        c.mutate(element);
        try {
            Offer(element);
            ADD_FAILURE() << "no exception";
        } catch (const json::exception& e) {
            EXPECT_EQ(c.id, e.id);
            EXPECT_NE(std::string::npos, std::string(e.what()).find(c.message)) << e.what();
        }
    }
}

TEST_F(PackageTest, ListsFollowTheLibrarysIterationRules) {
    struct Case {
        json value;
        std::vector<std::string> a;
    } cases[] = {
        {"single", {"single"}},
        {nullptr, {}},
        {{{"k1", "v1"}, {"k2", "v2"}}, {"v1", "v2"}},
        {json::array({"x", "y"}), {"x", "y"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.dump());
        json element = MinimalOffer();
        element["ps"]["a"] = c.value;
        EXPECT_EQ(c.a, Offer(element)->a);
    }
}

TEST_F(PackageTest, PlaceholdersComeFromTheConfigurationAndTheOffer) {
    struct Case {
        const char* name;
        std::string countryCode;
        std::string publisherId;
        const char* u;
        std::string expanded;
    } cases[] = {
        {"known names", "US", "pub7", "https://h.example/{pubid}/{of}/{unknown}?c={cc}&a={aflt}",
         "https://h.example/pub7/offerF/{unknown}?c=US&a=91088"},
        {"no publisher", "US", "", "https://h.example/{pubid}", "https://h.example/{pubid}"},
        {"country not in table", "ZZ", "", "{cc}-{aflt}", "ZZ-91082"},
        {"no country", "", "", "{cc}-{aflt}", "{cc}-91082"},
        {"repeated", "KR", "", "{cc}{cc}{aflt}", "KRKR91214"},
        {"identity", "US", "", "{userid}/{sessionid}/{ispb}", "machine/20261210010203/cb9"},
        {"pxl", "US", "", "{pxl}", Base62Encode("machine|offer-7|20261210010203")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        config->countryCode = c.countryCode;
        config->publisherId = c.publisherId;
        json element = MinimalOffer();
        element["ps"]["u"] = c.u;
        auto package = Offer(element);
        EXPECT_EQ(c.expanded, package->u);
        EXPECT_EQ(c.expanded, package->ExpandPlaceholders(c.u));
    }
}

TEST_F(PackageTest, MainProductCarriesNoPlaceholdersAndItsOwnAnalyticsBody) {
    Package package(Identity(), true, L"", L"", L"", L"", 0);
    EXPECT_TRUE(package.isMain);
    EXPECT_TRUE(package.placeholders.empty());
    EXPECT_EQ("{cc}", package.ExpandPlaceholders("{cc}"));
    json body = Identity().body;
    body["5"] = "Main Title";
    body["10"] = 1;
    body["18"] = "";
    EXPECT_EQ(body, package.analyticsBody);

    SignedRequest fresh = Identity();
    fresh.body["22"] = "Arrived Title";
    fresh.headers[0].second = L"Signature=y";
    package.ResetAsMain(fresh, L"Arrived Title", L"cflValue", L"Arrived Title", L"chan");
    EXPECT_EQ("Arrived Title", package.o);
    EXPECT_EQ("cflValue", package.f);
    EXPECT_EQ("Arrived Title", package.dn);
    EXPECT_EQ("chan", package.c);
    EXPECT_EQ(fresh.headers, package.signedRequest.headers);
    EXPECT_EQ("Arrived Title", package.analyticsBody.at("5"));
    EXPECT_EQ(1, package.analyticsBody.at("10"));
    EXPECT_EQ("", package.analyticsBody.at("16"));
    EXPECT_EQ("", package.analyticsBody.at("18"));
}

TEST_F(PackageTest, ResetAsMainTurnsAnOfferIntoTheMainProduct) {
    auto package = Offer(MinimalOffer(), 3);
    package->ResetAsMain(Identity(), L"o", L"f", L"dn", L"c");
    EXPECT_TRUE(package->isMain);
    EXPECT_EQ(0, package->index);
    EXPECT_EQ("Main Title", package->analyticsBody.at("5"));
    EXPECT_EQ("", package->analyticsBody.at("17"));
    EXPECT_EQ("", package->analyticsBody.at("18"));
}

}  // namespace
