#include "DownloadTest.h"

using nlohmann::json;

TEST_F(DownloadTest, WinInetWritesTheFileWithProgressAndFollowsRedirects) {
    Serve("/f/start.bin", json::array({{{"redirect", "https://localhost/f/inet.bin"}}}));
    Serve("/f/inet.bin", json::array({{{"body_size", 50000}, {"pace", {4096, 0.002}}}}));
    const Result result = WinInet(Https("/f/start.bin"), L"inet.bin");
    EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
    EXPECT_EQ(L"", result.second.str());
    EXPECT_EQ(Pattern(50000), ReadFileBytes(work / L"inet.bin"));
    EXPECT_EQ((work / L"inet.bin"), manager->downloadedPath.str());
    ASSERT_FALSE(window.percents.empty());
    EXPECT_EQ(100u, window.percents.back());
    EXPECT_EQ(0, window.lengthUnknown);

    window.percents.clear();
    Serve("/f/chunked.bin", json::array({{{"chunks", {"a", "b"}}}}));
    EXPECT_TRUE(WinInet(Http("/f/chunked.bin")).first);
    EXPECT_EQ("ab", ReadFileBytes(work / L"chunked.bin"));
    EXPECT_EQ(1, window.lengthUnknown);
    EXPECT_TRUE(window.percents.empty());
}

TEST_F(DownloadTest, WinInetReportsEachFailureWithItsText) {
    const struct {
        const char* label;
        CString url;
        json responses;
        const wchar_t* text;        // the whole result text, or
        const wchar_t* prefix;      // its start, or
        const wchar_t* systemText;  // its prefix before "<code> - <system text>"
    } cases[] = {
        {"not found", Https("/f/x.bin"), json::array({{{"status", 404}}}), nullptr,
         L" [WININET] Server returned status code: HTTP 404 - ", nullptr},
        {"no content", Https("/f/x.bin"), json::array({{{"status", 204}}}), nullptr,
         L" [WININET] Server returned status code: HTTP 204 - ", nullptr},
        {"body cut short", Https("/f/x.bin"), json::array({{{"body_size", 1000}, {"cut", 600}}}),
         L" [WININET] Download was incomplete: content length: 1000, downloaded: 600", nullptr,
         nullptr},
        {"nobody listening", CString(L"http://localhost:1/f/x.bin"), json::array(), nullptr,
         nullptr, L" [WININET] Failed to open URL:: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        service::Reset();
        Serve("/f/x.bin", c.responses);
        const Result result = WinInet(c.url, L"x.bin");
        EXPECT_FALSE(result.first);
        if (c.text) {
            EXPECT_EQ(std::wstring(c.text), result.second.str());
        } else if (c.prefix) {
            EXPECT_EQ(0u, result.second.str().find(c.prefix))
                << WideToNarrow(result.second, CP_UTF8);
        } else {
            EXPECT_TRUE(IsSystemError(result.second, c.systemText));
        }
    }
}

// Reads of 64 KiB: bodies that end just before a block's edge, on it and
// after it, and one of several blocks, arrive whole and in order.
TEST_F(DownloadTest, WinInetWritesBodiesAcrossItsBlocksWhole) {
    const size_t block = 64 * 1024;
    for (size_t size : {block - 1, block, block + 1, 3 * block + 17}) {
        SCOPED_TRACE(size);
        Serve("/f/blocks.bin", json::array({{{"body_size", size}}}));
        const Result result = WinInet(Https("/f/blocks.bin"));
        EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
        EXPECT_EQ(Pattern(size), ReadFileBytes(work / L"blocks.bin"));
    }
}
