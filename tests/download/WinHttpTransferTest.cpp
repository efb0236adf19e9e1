#include "DownloadTest.h"

#include <chrono>

using nlohmann::json;

namespace {

// Percentages rise, stay within 0 to 100 and end with 100; only the final 100
// may repeat the last one.
void ExpectProgressProtocol(const std::vector<WPARAM>& percents) {
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(100u, percents.back());
    for (size_t i = 1; i + 1 < percents.size(); ++i) {
        EXPECT_LT(percents[i - 1], percents[i]) << "at " << i;
    }
    for (WPARAM percent : percents) {
        EXPECT_LE(percent, 100u);
    }
}

}  // namespace

TEST_F(DownloadTest, WinHttpWritesTheFileAndPostsThrottledProgress) {
    // 100 blocks of one percent each, paced so that the engine reads many.
    Serve("/f/paced.bin", json::array({{{"body_size", 200000}, {"pace", {2000, 0.002}}}}));
    const Result result = WinHttp(Https("/f/paced.bin"));
    EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
    EXPECT_EQ(L"", result.second.str());
    const std::wstring path = work / L"paced.bin";
    EXPECT_EQ(Pattern(200000), ReadFileBytes(path));
    EXPECT_EQ(path, manager->downloadedPath.str());
    EXPECT_EQ(0, window.lengthUnknown);
    ExpectProgressProtocol(window.percents);
    EXPECT_GT(window.percents.size(), 5u);
    EXPECT_LE(window.percents.size(), 101u);
}

TEST_F(DownloadTest, WinHttpWithoutALengthTellsTheWindowOnceAndSkipsPercentages) {
    const struct {
        const char* label;
        json response;
        std::string body;
    } cases[] = {
        {"chunked", {{"chunks", {"first part, ", "second part"}}}, "first part, second part"},
        {"closed at the end", {{"body", "whole body"}, {"content_length", "omit"}}, "whole body"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        window.percents.clear();
        window.lengthUnknown = 0;
        Serve("/f/nolength.bin", json::array({c.response}));
        const Result result = WinHttp(Https("/f/nolength.bin"));
        EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
        EXPECT_EQ(c.body, ReadFileBytes(work / L"nolength.bin"));
        EXPECT_EQ(1, window.lengthUnknown);
        EXPECT_TRUE(window.percents.empty());
    }
}

TEST_F(DownloadTest, WinHttpFollowsFiveRedirectsAndFailsOnTheSixth) {
    const struct {
        const char* label;
        json responses;
        bool ok;
    } cases[] = {
        {"five",
         json::array({{{"redirect", "https://localhost/f/hop.bin"}},
                      {{"redirect", "https://localhost/f/hop.bin"}},
                      {{"redirect", "http://localhost:8780/f/hop.bin"}},
                      {{"redirect", "https://localhost/f/hop.bin"}, {"status", 301}},
                      {{"redirect", "https://localhost/f/hop.bin"}, {"status", 307}},
                      {{"body", "arrived"}}}),
         true},
        {"six",
         json::array({{{"redirect", "https://localhost/f/hop.bin"}},
                      {{"redirect", "https://localhost/f/hop.bin"}},
                      {{"redirect", "https://localhost/f/hop.bin"}},
                      {{"redirect", "https://localhost/f/hop.bin"}},
                      {{"redirect", "https://localhost/f/hop.bin"}},
                      {{"redirect", "https://localhost/f/hop.bin"}},
                      {{"body", "arrived"}}}),
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        service::Reset();
        Serve("/f/hop.bin", c.responses);
        const Result result = WinHttp(Https("/f/hop.bin"), L"hop.bin");
        EXPECT_EQ(c.ok, result.first);
        if (c.ok) {
            EXPECT_EQ("arrived", ReadFileBytes(work / L"hop.bin"));
        } else {
            EXPECT_EQ(L"[WINHTTP] Too many redirects.", result.second.str());
        }
    }
}

// A Location far longer than a fixed 260-byte buffer is followed whole.
TEST_F(DownloadTest, WinHttpFollowsALongRedirectTargetWhole) {
    const std::string target = "/f/long.bin?token=" + std::string(400, 'k');
    Serve("/f/start.bin", json::array({{{"redirect", "https://localhost" + target}}}));
    Serve("/f/long.bin", json::array({{{"body", "long way"}}}));
    const Result result = WinHttp(Https("/f/start.bin"), L"long.bin");
    EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
    EXPECT_EQ("long way", ReadFileBytes(work / L"long.bin"));
    const auto requests = service::Requests("/f/long.bin");
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(target, requests[0].target);
}

TEST_F(DownloadTest, WinHttpReportsEachFailureWithItsText) {
    const struct {
        const char* label;
        CString url;
        json responses;
        const wchar_t* text;        // the whole result text, or
        const wchar_t* systemText;  // its prefix before "<code> - <system text>"
    } cases[] = {
        {"not found", Https("/f/x.bin"), json::array({{{"status", 404}}}),
         L"[WINHTTP] Download failed: Server returned status code: 404", nullptr},
        {"server error", Http("/f/x.bin"), json::array({{{"status", 503}}}),
         L"[WINHTTP] Download failed: Server returned status code: 503", nullptr},
        {"body cut short", Https("/f/x.bin"), json::array({{{"body_size", 1000}, {"cut", 600}}}),
         L"[WINHTTP] Download was incomplete: content length: 1000, downloaded: 600", nullptr},
        {"nobody listening", CString(L"http://localhost:1/f/x.bin"), json::array(), nullptr,
         L"[WINHTTP] Failed to send request: "},
        {"connection dropped", Https("/f/x.bin"), json::array({{{"drop", true}}}), nullptr,
         L"[WINHTTP] Failed to receive response: "},
        {"redirect to ftp", Https("/f/x.bin"),
         json::array({{{"redirect", "ftp://localhost/x.bin"}}}), nullptr,
         L"[WINHTTP] Failed to parse URL: "},
        {"redirect to a file", Https("/f/x.bin"),
         json::array({{{"redirect", "file:///C:/windows/win.ini"}}}), nullptr,
         L"[WINHTTP] Failed to parse URL: "},
        {"redirect without a target", Https("/f/x.bin"), json::array({{{"status", 302}}}), nullptr,
         L"[WINHTTP] Failed to parse URL: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        service::Reset();
        Serve("/f/x.bin", c.responses);
        const Result result = WinHttp(c.url, L"x.bin");
        EXPECT_FALSE(result.first);
        if (c.text) {
            EXPECT_EQ(std::wstring(c.text), result.second.str());
        } else {
            EXPECT_TRUE(IsSystemError(result.second, c.systemText));
        }
    }
}

TEST_F(DownloadTest, BothEnginesStoreWhatTheLengthSaysAndWinHttpTakesA204) {
    Serve("/f/long.bin", json::array({{{"body", "0123456789abcdefghij"}, {"content_length", 10}},
                                      {{"body", "0123456789abcdefghij"}, {"content_length", 10}}}));
    Result result = WinHttp(Https("/f/long.bin"));
    EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
    EXPECT_EQ("0123456789", ReadFileBytes(work / L"long.bin"));
    result = WinInet(Https("/f/long.bin"));
    EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
    EXPECT_EQ("0123456789", ReadFileBytes(work / L"long.bin"));

    window.percents.clear();
    Serve("/f/empty.bin", json::array({{{"status", 204}}}));
    result = WinHttp(Https("/f/empty.bin"));
    EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
    EXPECT_TRUE(FileExists(work / L"empty.bin"));
    EXPECT_EQ("", ReadFileBytes(work / L"empty.bin"));
    EXPECT_TRUE(window.percents.empty());
}

TEST_F(DownloadTest, WinHttpStopsAtTheNextBlockOnceCancelled) {
    // About four seconds of body, one kilobyte at a time.
    Serve("/f/slow.bin", json::array({{{"body_size", 400000}, {"pace", {1000, 0.01}}}}));
    auto future = std::async(std::launch::async, [this] {
        return manager->DownloadWithWinHttp(Https("/f/slow.bin"), window.Handle(), L"", true);
    });
    while (future.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready &&
           window.percents.empty()) {
        window.Pump();
    }
    manager->cancelled = true;
    const auto started = std::chrono::steady_clock::now();
    const Result result = window.Wait(future);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_FALSE(result.first);
    EXPECT_EQ(L"[WINHTTP] Download cancelled.", result.second.str());
    EXPECT_LT(ReadFileBytes(work / L"slow.bin").size(), 400000u);
}

// A service that stops sending in the middle of the body: WinHTTP gives up
// after its receive timeout, the fallback meets a refusal, and the partial
// file goes.
TEST_F(DownloadTest, AStalledBodyFailsAfterTheReceiveTimeoutAndLeavesNoFile) {
    SleepRecorder sleeps;
    Serve("/f/stall.bin",
          json::array({{{"body_size", 1000}, {"cut", 100}, {"stall", 45}}, {{"status", 404}}}));
    const Result result = Download(Https("/f/stall.bin"));
    EXPECT_FALSE(result.first);
    const int split = result.second.Find(L" [WININET] ");
    ASSERT_GT(split, 0) << WideToNarrow(result.second, CP_UTF8);
    const CString first = result.second.Left(split);
    EXPECT_TRUE(IsSystemError(first, L"[WINHTTP] Failed to query data: ") ||
                IsSystemError(first, L"[WINHTTP] Failed to read data: "))
        << WideToNarrow(first, CP_UTF8);
    EXPECT_EQ(0,
              result.second.Mid(split).Find(L" [WININET] Server returned status code: HTTP 404"));
    EXPECT_FALSE(FileExists(work / L"stall.bin"));
}

// The engine gathers blocks into a write buffer of 1 MiB: bodies that end
// just before its edge, on it and after it, and one that fills it twice,
// arrive whole and in order.
TEST_F(DownloadTest, WinHttpWritesBodiesAcrossItsWriteBufferWhole) {
    const size_t buffer = 1024 * 1024;
    for (size_t size : {buffer - 1, buffer, buffer + 1, 2 * buffer + 4321}) {
        SCOPED_TRACE(size);
        Serve("/f/large.bin", json::array({{{"body_size", size}}}));
        const Result result = WinHttp(Https("/f/large.bin"));
        EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
        EXPECT_EQ(Pattern(size), ReadFileBytes(work / L"large.bin"));
    }
}
