// Downloads against a hostile file host: a body that drips while the user
// quits, a certificate nobody trusts, and redirects without end. (A stalled
// body is in the WinHTTP transfer tests; Wine's WinINet keeps no receive
// time-out, so its stall cannot be shown here.)
#include "DownloadTest.h"

#include <chrono>
#include <future>
#include <thread>

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

// The service's port whose certificate is self-signed (no prefix trusts it).
CString Untrusted(const std::string& path) {
    return CString(("https://localhost:8743" + path).c_str());
}

}  // namespace

TEST_F(DownloadTest, WinInetStopsADrippingBodyOnceCancelled) {
    Serve("/f/drip.bin", json::array({{{"body_size", 600}, {"pace", {1, 1}}}}));
    auto future = std::async(std::launch::async, [this] {
        return manager->DownloadWithWinInet(Https("/f/drip.bin"), window.Handle(), L"", true);
    });
    std::this_thread::sleep_for(std::chrono::seconds(3));
    manager->cancelled = true;
    const auto cancelled = Clock::now();
    const Result result = window.Wait(future);
    EXPECT_LT(Clock::now() - cancelled, std::chrono::seconds(3));
    EXPECT_FALSE(result.first);
    EXPECT_EQ(L" [WININET] Download cancelled.", result.second.str());
}

TEST_F(DownloadTest, AnUntrustedCertificateFailsBothEnginesAndWritesNothing) {
    SleepRecorder sleeps;
    Serve("/f/x.bin", json::array({{{"body", "never sent"}}, {{"body", "never sent"}}}));
    const Result result = Download(Untrusted("/f/x.bin"));
    EXPECT_FALSE(result.first);
    const int split = result.second.Find(L" [WININET] ");
    ASSERT_GT(split, 0) << WideToNarrow(result.second, CP_UTF8);
    EXPECT_EQ(0, result.second.Find(L"[WINHTTP] ")) << WideToNarrow(result.second, CP_UTF8);
    EXPECT_TRUE(service::Requests("/f/x.bin").empty());
    EXPECT_FALSE(FileExists(work / L"x.bin"));
}

TEST_F(DownloadTest, RedirectsWithoutEndFailBothEnginesAndWriteNothing) {
    SleepRecorder sleeps;
    json loop = json::array();
    for (int i = 0; i < 60; ++i) {
        loop.push_back({{"redirect", "https://localhost/f/loop.bin"}});
    }
    Serve("/f/loop.bin", loop);
    const auto start = Clock::now();
    const Result result = Download(Https("/f/loop.bin"));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
    EXPECT_FALSE(result.first);
    EXPECT_EQ(0, result.second.Find(L"[WINHTTP] Too many redirects. [WININET] "))
        << WideToNarrow(result.second, CP_UTF8);
    EXPECT_FALSE(FileExists(work / L"loop.bin"));
}
