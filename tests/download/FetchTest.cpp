#include "DownloadTest.h"

#include <gdiplus.h>

#include <condition_variable>
#include <mutex>

#include "api/Package.h"
#include "framework/GdiplusSession.h"

using nlohmann::json;

namespace {

// A 2 x 1 PNG: one red and one blue pixel.
const char kPngHex[] =
    "89504e470d0a1a0a0000000d49484452000000020000000108020000007b40e8dd0000000d49444154789c63f8"
    "cf0004ff01070001ffe2239e590000000049454e44ae426082";

// Waits for one callback from a detached fetch thread.
class Arrival {
public:
    void Signal() {
        std::lock_guard<std::mutex> guard(lock);
        arrived = true;
        done.notify_all();
    }
    bool Wait() {
        std::unique_lock<std::mutex> guard(lock);
        return done.wait_for(guard, std::chrono::seconds(60), [this] { return arrived; });
    }

private:
    std::mutex lock;
    std::condition_variable done;
    bool arrived = false;
};

std::string Text(const std::vector<char>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST_F(DownloadTest, FetchToMemoryMakesTwoAttemptsAndRedirectsDoNotCount) {
    const struct {
        const char* label;
        json responses;
        std::string body;
        size_t requests;
    } cases[] = {
        {"first attempt", json::array({{{"body", "image"}}}), "image", 1},
        {"second attempt", json::array({{{"status", 500}}, {{"body", "image"}}}), "image", 2},
        {"redirect within an attempt",
         json::array({{{"redirect", "https://localhost/f/img.png"}},
                      {{"status", 404}},
                      {{"redirect", "http://localhost:8780/f/img.png"}},
                      {{"body", "image"}}}),
         "image", 4},
        {"two failures", json::array({{{"status", 500}}, {{"status", 503}}, {{"body", "late"}}}),
         "", 2},
        {"empty body", json::array({{{"body", ""}}}), "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        service::Reset();
        Serve("/f/img.png", c.responses);
        const auto data = manager->FetchToMemory(Https("/f/img.png"));
        ASSERT_TRUE(data);
        EXPECT_EQ(c.body, Text(*data));
        const auto requests = service::Requests("/f/img.png");
        EXPECT_EQ(c.requests, requests.size());
        for (const auto& request : requests) {
            for (const auto& header : request.headers) {
                if (header.first == "User-Agent") {
                    EXPECT_EQ("A WinHTTP Example Program/1.0", header.second);
                }
            }
        }
    }
}

TEST_F(DownloadTest, FetchAsyncCallsBackOnItsOwnThread) {
    Serve("/f/img.png", json::array({{{"body", "bytes"}}}));
    Arrival arrival;
    DWORD callbackThread = 0;
    std::string received;
    bool gotData = false;
    manager->FetchAsync(Https("/f/img.png"), [&](std::unique_ptr<std::vector<char>> data) {
        callbackThread = GetCurrentThreadId();
        gotData = data != nullptr;
        if (data) {
            received = Text(*data);
        }
        arrival.Signal();
    });
    ASSERT_TRUE(arrival.Wait());
    EXPECT_NE(GetCurrentThreadId(), callbackThread);
    EXPECT_TRUE(gotData);
    EXPECT_EQ("bytes", received);
}

TEST_F(DownloadTest, AFetchAfterCancellationCallsBackWithNothing) {
    manager->cancelled = true;
    Arrival arrival;
    bool gotData = true;
    manager->FetchAsync(Https("/f/img.png"), [&](std::unique_ptr<std::vector<char>> data) {
        gotData = data != nullptr;
        arrival.Signal();
    });
    ASSERT_TRUE(arrival.Wait());
    EXPECT_FALSE(gotData);
}

class DownloadImageTest : public DownloadTest {
protected:
    std::shared_ptr<Package> Offer(const std::string& image) {
        SignedRequest request;
        json offer = {{"ad", {{"f", "f1"}, {"o", "offer-1"}}},
                      {"ps", {{"i", image}, {"dn", "Offer"}, {"u", "https://localhost/f/o.exe"}}}};
        return std::make_shared<Package>(request, offer, false, "", 0);
    }

    GdiplusSession gdiplus;
};

TEST_F(DownloadImageTest, ThePendingFetchHoldsThePackage) {
    Serve("/f/offer.png", json::array({{{"body_hex", kPngHex}}}));
    auto offer = Offer("offer.png");
    const std::weak_ptr<Package> watch = offer;
    Arrival arrival;
    bool aliveInCallback = false;
    offer->DownloadImage([&] {
        aliveInCallback = !watch.expired();
        arrival.Signal();
    });
    offer.reset();
    ASSERT_TRUE(arrival.Wait());
    EXPECT_TRUE(aliveInCallback);
    // The fetch thread lets go of it when it ends (before GDI+ goes).
    for (int i = 0; i < 500 && !watch.expired(); ++i) {
        Sleep(10);
    }
    EXPECT_TRUE(watch.expired());
}

TEST_F(DownloadImageTest, DecodesThePngAndLeavesTheImageAloneWithoutBytes) {
    Serve("/f/offer.png", json::array({{{"body_hex", kPngHex}}}));
    Serve("/f/blank.png", json::array({{{"body", ""}}}));
    auto offer = Offer("offer.png");
    {
        Arrival arrival;
        offer->DownloadImage([&] { arrival.Signal(); });
        ASSERT_TRUE(arrival.Wait());
    }
    ASSERT_TRUE(offer->image);
    EXPECT_EQ(Gdiplus::Ok, offer->image->GetLastStatus());
    EXPECT_EQ(2u, offer->image->GetWidth());
    EXPECT_EQ(1u, offer->image->GetHeight());

    auto blank = Offer("blank.png");
    Arrival arrival;
    blank->DownloadImage([&] { arrival.Signal(); });
    ASSERT_TRUE(arrival.Wait());
    EXPECT_FALSE(blank->image);
    const auto requests = service::Requests("/f/blank.png");
    ASSERT_EQ(1u, requests.size());

    offer->image.reset();
}

TEST_F(DownloadImageTest, TheMainProductCallsBackAtOnce) {
    SignedRequest request;
    auto main = std::make_shared<Package>(request, true, L"o", L"f", L"Product", L"c", 0);
    bool called = false;
    main->DownloadImage([&] { called = true; });
    EXPECT_TRUE(called);
    EXPECT_FALSE(main->image);
    EXPECT_TRUE(service::Requests().empty());
}
