// The configuration drives the wizard: the real main dialog, the loading page
// asking the reference service, the eligibility checks and the pages that
// result. Built twice, as a DLM and as an ISV wizard (see CMakeLists.txt).
#include "WizardRun.h"

namespace {

using namespace wizard_run;

class LoadingFlow : public WizardRun {};

}  // namespace

TEST_F(LoadingFlow, TheResponseDecidesThePages) {
    const json exclusive = Offer("x1", {{"exc", true}});
    const json tooBig = Offer("r1", {{"ram", 1ull << 60}});
    struct Case {
        const char* name;
        json response;
        std::vector<std::string> offers;
    } cases[] = {
        {"no offers", Response(json::array()), {}},
        {"two offers, in response order", Response({Offer("a1"), Offer("b2")}), {"a1", "b2"}},
        {"the product asks for none", Response({Offer("a1")}, {{"ch", "00xA"}}), {}},
        {"a ch differing only in case", Response({Offer("a1")}, {{"ch", "00xa"}}), {"a1"}},
        {"an exclusive first offer ends the list", Response({exclusive, Offer("b2")}), {"x1"}},
        {"a rejected offer gets no page", Response({tooBig, Offer("b2")}), {"b2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service::Reset();
        json response = c.response;
        if (!IsDlm()) {
            response.erase("i");  // the maker's own installer has no product object
            if (c.response["i"].value("ch", "") == "00xA") {
                continue;  // without a product there is no ch to ask for none
            }
        }
        Serve(response);
        Run();
        EXPECT_EQ(PageNames(), Flow(c.offers));
        EXPECT_EQ(dialog->CurrentPage(), 2u);
        dialog.reset();
    }
}

TEST_F(LoadingFlow, NoOffersWithoutObjectOAndNoLimitNeeded) {
    Serve({{"i", {{"ct", "KestranoViewer"}, {"cu", "https://localhost/f/viewer.exe"}}}});
    Run();
    EXPECT_EQ(PageNames(), Flow({}));
}

TEST_F(LoadingFlow, RejectedOffersReportTheirVerdictAndLaterOnesAreNotEvaluated) {
    Serve(Response({Offer("r1", {{"ram", 1ull << 60}}), Offer("x1", {{"exc", true}}),
                    Offer("never", {{"ram", 1ull << 60}})}));
    Run();
    ASSERT_EQ(PageNames(), Flow({"x1"}));
    dialog.reset();
    EXPECT_EQ(Verdicts(), std::vector<std::string>{"r1 NOT ENOUGH RAM"});
}

TEST_F(LoadingFlow, AfterLoadingTheWelcomePageShowsWithPicturesInPlace) {
    json response = Response({Offer("a1"), Offer("b2")});
    if (IsDlm()) {
        response["i"]["cl"] = "https://localhost/f/product.png";
    }
    Serve(response);
    Run();
    ASSERT_EQ(PageNames(), Flow({"a1", "b2"}));
    EXPECT_TRUE(dialog->Pages().at(2)->IsWindowVisible());
    if (IsDlm()) {
        EXPECT_TRUE(config->productImage);
        EXPECT_EQ(WideToNarrow(config->productTitle), "KestranoViewer");
        EXPECT_EQ(WindowText(*dialog), "KestranoViewer Setup");
    }
    for (size_t index : {3u, 4u}) {
        auto* page = dynamic_cast<ProductPage*>(dialog->Pages().at(index).get());
        ASSERT_TRUE(page);
        EXPECT_TRUE(page->GetPackage()->image) << page->GetPackage()->o;
    }
}

TEST_F(LoadingFlow, ProductValuesGoIntoTheConfiguration) {
    if (!IsDlm()) {
        GTEST_SKIP() << "the maker's installer has no product object";
    }
    struct Case {
        json product;
        const char* cf;
    } cases[] = {
        {json::object(), "KestranoViewer.exe"},
        {{{"cf", "viewer-setup.exe"}, {"cp", "https://p.example"}, {"cb", "cb7"}},
         "viewer-setup.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cf);
        Serve(Response(json::array(), c.product));
        Run();
        EXPECT_EQ(WideToNarrow(config->cf), c.cf);
        EXPECT_EQ(WideToNarrow(config->cu), "https://localhost/f/viewer.exe");
        EXPECT_EQ(config->publisherId, "pub1");
        EXPECT_EQ(config->countryCode, "US");
        EXPECT_EQ(WideToNarrow(config->cp), c.product.value("cp", ""));
        EXPECT_EQ(config->cb, c.product.value("cb", ""));
        dialog.reset();
    }
}

// Every malformed shape ends on the error page in the DLM flavour and goes on
// without offers in the ISV flavour; nothing crashes, nothing hangs, and no
// page list is half built.
TEST_F(LoadingFlow, MalformedConfigurationsEndOnTheErrorPageOrGoOnWithoutOffers) {
    struct Case {
        const char* name;
        json scenario;  // answers of /o
        bool dlmOnly;   // the shape concerns the product object only
    } cases[] = {
        {"empty ct", {{{"body", Response({}, {{"ct", ""}}).dump()}}}, true},
        {"empty cu", {{{"body", Response({}, {{"cu", ""}}).dump()}}}, true},
        {"no product", {{{"body", json{{"o", json::array()}}.dump()}}}, true},
        {"product not an object", {{{"body", json{{"i", "x"}}.dump()}}}, true},
        {"ct a number", {{{"body", Response({}, {{"ct", 7}}).dump()}}}, true},
        {"cl mistyped", {{{"body", Response({}, {{"cl", json::array()}}).dump()}}}, true},
        {"cf mistyped", {{{"body", Response({}, {{"cf", false}}).dump()}}}, true},
        {"failed request", {{{"status", 500}}, {{"status", 500}}, {{"status", 500}}}, false},
        {"not JSON", {{{"body", "{\"i\": {\"ct\": "}}}, false},
        {"not an object", {{{"body", "[1, 2]"}}}, false},
        {"l mistyped",
         {{{"body",
            [] {
                json r = Response({});
                r["l"] = 5;
                return r.dump();
            }()}}},
         false},
        {"limit missing with offers",
         {{{"body",
            [] {
                json r = Response({Offer("a1")});
                r["f"].erase("m");
                return r.dump();
            }()}}},
         false},
        {"offer without ad",
         {{{"body", Response({json{{"ps", Offer("a1")["ps"]}}}).dump()}}},
         false},
        {"offer disk a text",
         {{{"body", Response({Offer("a1", {{"disk", "lots"}})}).dump()}}},
         false},
        {"registry rule on a bare software root",
         {{{"body", Response({Offer("a1", {{"r", {"hklm\\software\\"}}})}).dump()}}},
         false},
        {"registry number rule not a number",
         {{{"body", Response({Offer("a1", {{"rvd", {"tallwickloading\\build\\ten"}}})}).dump()}}},
         false},
    };
    ScopedRegistryKeys keys;
    keys.SetDword(HKEY_CURRENT_USER, L"Software\\TallwickLoading", L"Build", 7);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.dlmOnly && !IsDlm()) {
            continue;
        }
        service::Reset();
        service::SetScenario({{"path", "/o"}, {"responses", c.scenario}});
        Run();
        if (IsDlm()) {
            EXPECT_EQ(PageNames(),
                      (std::vector<std::string>{"ErrorPage", "LanguagePage", "LoadingPage"}));
            HWND error = *dialog->GetErrorPage();
            EXPECT_EQ(ItemText(error, 1036), "Something went wrong");
            EXPECT_EQ(ItemText(error, 1037), "Please try to download later");
        } else {
            EXPECT_EQ(PageNames(), Flow({}));
        }
        dialog.reset();
    }
}

TEST_F(LoadingFlow, ProductPagesShowTheDisclaimerAndRecordTheAnswer) {
    std::vector<std::string> opened;
    ShellOpenHook previous = SetShellOpenHook(
        [&](const CString& target, const CString&) { opened.push_back(WideToNarrow(target)); });
    Serve(Response({Offer("a1"), Offer("b2", {{"cp", ""}})}));
    Run();
    ASSERT_EQ(PageNames(), Flow({"a1", "b2"}));
    HWND welcome = *dialog->Pages().at(2);
    ClickButton(welcome, 1010);

    HWND first = *dialog->Pages().at(3);
    ASSERT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(
        ItemText(first, 1042),
        "When you click \"Accept\", you agree to the installation of \"Offer-a1\" and that you "
        "have read the <a href=\"https://privacy.example/a1\">Privacy Policy</a> and agree to "
        "the terms of its <a href=\"https://terms.example/a1\">End User License Agreement</a>. "
        "Check \"Add/Remove Programs\" to uninstall.");
    EXPECT_EQ(ItemText(first, 1021), "Accept");
    EXPECT_EQ(ItemText(first, 1022), "Decline");
    // A click on each link opens its address.
    for (int item : {0, 1}) {
        LITEM link{};
        link.mask = LIF_ITEMINDEX | LIF_URL;
        link.iLink = item;
        ASSERT_TRUE(
            SendDlgItemMessageW(first, 1042, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&link)));
        NMLINK click{};
        click.hdr = {GetDlgItem(first, 1042), 1042, static_cast<UINT>(NM_CLICK)};
        click.item = link;
        SendMessageW(first, WM_NOTIFY, 1042, reinterpret_cast<LPARAM>(&click));
    }
    EXPECT_EQ(opened,
              (std::vector<std::string>{"https://privacy.example/a1", "https://terms.example/a1"}));
    ClickButton(first, 1021);  // Accept

    HWND second = *dialog->Pages().at(4);
    ASSERT_TRUE(IsWindowVisible(second));
    ClickButton(second, 1022);  // Decline
    EXPECT_TRUE(IsWindowVisible(*dialog->Pages().at(5)));
    SetShellOpenHook(std::move(previous));

    ASSERT_EQ(config->acceptedOffers.size(), 1u);
    EXPECT_EQ(config->acceptedOffers[0]->o, "a1");
    ASSERT_EQ(config->shownOffers.size(), 2u);
    WaitForEvents();
    std::vector<std::string> declines;
    for (const auto& row : service::Events()) {
        const json& event = row.at("event");
        if (event.at("6") == "4") {
            declines.push_back(event.at("5").get<std::string>());
        }
    }
    EXPECT_EQ(declines, std::vector<std::string>{"b2"});
}

TEST_F(LoadingFlow, QuittingDuringTheLoadingWaitsForTheWorker) {
    service::SetScenario(
        {{"path", "/o"}, {"responses", {{{"delay", 1.5}, {"body", Response({}).dump()}}}}});
    dialog = std::make_unique<CTallwickDlg>();
    ASSERT_TRUE(dialog->Create(nullptr));
    const auto start = std::chrono::steady_clock::now();
    ClickButton(*dialog->Pages().at(0), 1010);
    ASSERT_EQ(dialog->CurrentPage(), 1u);
    SendMessageW(*dialog, WM_CLOSE, 0, 0);
    EXPECT_NE(dialog->GetEndResult(), -1);
    dialog.reset();  // the loading page goes only once its worker has ended
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
    EXPECT_EQ(service::Requests("/o").size(), 1u);
}

// Images still on their way when the user quits complete later, on their
// own threads: once the loading page is gone they must not call its callback,
// which would reach into a main dialog that no longer exists.
TEST_F(LoadingFlow, ImagesArrivingAfterThePageHasGoneCallNobody) {
    Serve(Response({Offer("a1")}));
    service::SetScenario({{"path", "/f/offer-one.png"}, {"responses", {{{"delay", 1.5}}}}});
    HWND parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 700, 500, nullptr, nullptr,
                                  nullptr, nullptr);
    auto calls = std::make_shared<std::atomic<int>>(0);
    {
        LoadingPage page(std::make_shared<LanguageManager>(), parent);
        ASSERT_TRUE(page.Create());
        page.SetLoadCompleteCallback([calls](std::vector<std::shared_ptr<Package>>) { ++*calls; });
        page.OnNavigateToPage();
        // The offer has passed its checks once its picture is requested.
        for (int i = 0; i < 200 && service::Requests("/f/offer-one.png").empty(); ++i) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages();
        }
        ASSERT_EQ(service::Requests("/f/offer-one.png").size(), 1u);
    }
    Sleep(2500);  // the picture arrives now
    PumpMessages();
    DestroyWindow(parent);
    EXPECT_EQ(calls->load(), 0);
}
