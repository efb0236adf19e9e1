// Downloads against a hostile file host: a stall that only the receive
// time-out can tell from the end of the body, a body that drips while the
// user quits, a certificate nobody trusts, and redirects without end.
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

// Without a length, a body that stops would pass for a complete one: the
// receive time-out fails it with the engine's own text.
TEST_F(DownloadTest, WinInetFailsAStalledBodyOfUnknownLengthAfterTheReceiveTimeout) {
    Serve("/f/stall.bin",
          json::array(
              {{{"body_size", 1000}, {"cut", 100}, {"content_length", "omit"}, {"stall", 45}}}));
    const auto start = Clock::now();
    const Result result = WinInet(Https("/f/stall.bin"));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(25));
    EXPECT_FALSE(result.first);
    EXPECT_TRUE(IsSystemError(result.second, L" [WININET] Failed to read data: "));
    EXPECT_NE(std::wstring::npos, result.second.str().find(L"12002"));
}

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
