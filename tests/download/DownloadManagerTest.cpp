#include "DownloadTest.h"

#include <windows.h>
#include <winhttp.h>
#include <shlwapi.h>

#include "api/SecureProtocols.h"
#include "download/DownloadAddress.h"
#include "support/MessageBoxRecorder.h"

using nlohmann::json;

TEST_F(DownloadTest, FallsBackToWinInetAfterTheFirstEngineFails) {
    SleepRecorder sleeps;
    Serve("/f/offer.exe", json::array({{{"status", 500}}, {{"body_size", 5000}}}));
    manager->downloadedPath = L"earlier";
    const Result result = Download(Https("/f/offer.exe"));
    EXPECT_TRUE(result.first);
    // Callers ignore the text of a success; it keeps the first engine's failure.
    EXPECT_EQ(L"[WINHTTP] Download failed: Server returned status code: 500", result.second.str());
    EXPECT_EQ(Pattern(5000), ReadFileBytes(work / L"offer.exe"));
    EXPECT_EQ(work / L"offer.exe", manager->downloadedPath.str());
    EXPECT_EQ(std::vector<unsigned>{2000}, sleeps.Pauses());
    const auto requests = service::Requests("/f/offer.exe");
    ASSERT_EQ(2u, requests.size());
}

TEST_F(DownloadTest, LeavesNoFileWhenBothEnginesFail) {
    // A folder name outside the ANSI code page must not keep the file alive,
    // where the file system can hold one.
    ScratchFolder products(FileSystemTakesNonAsciiNames() ? L"-\u0436\u4e2d" : L"-products");
    config->downloadsFolder = products.Path().c_str();
    const struct {
        const char* label;
        json responses;
        const wchar_t* first;
        const wchar_t* second;
    } cases[] = {
        {"not found", json::array({{{"status", 404}}, {{"status", 404}}}),
         L"[WINHTTP] Download failed: Server returned status code: 404",
         L" [WININET] Server returned status code: HTTP 404 - "},
        {"cut short twice",
         json::array({{{"body_size", 1000}, {"cut", 600}}, {{"body_size", 1000}, {"cut", 600}}}),
         L"[WINHTTP] Download was incomplete: content length: 1000, downloaded: 600",
         L" [WININET] Download was incomplete: content length: 1000, downloaded: 600"},
        {"redirect to another scheme",
         json::array({{{"redirect", "ftp://localhost/product.exe"}},
                      {{"redirect", "ftp://localhost/product.exe"}}}),
         L"[WINHTTP] Failed to parse URL: ", L" [WININET] "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SleepRecorder sleeps;
        service::Reset();
        Serve("/f/product.exe", c.responses);
        manager->downloadedPath = L"earlier";
        const Result result = Download(Https("/f/product.exe"), L"", false);
        EXPECT_FALSE(result.first);
        const std::wstring& text = result.second.str();
        EXPECT_EQ(0u, text.find(c.first)) << WideToNarrow(text, CP_UTF8);
        EXPECT_NE(std::wstring::npos, text.find(c.second)) << WideToNarrow(text, CP_UTF8);
        EXPECT_FALSE(FileExists(products / L"product.exe"));
        EXPECT_EQ(L"earlier", manager->downloadedPath.str());
    }
}

TEST_F(DownloadTest, ACancelledTransferIsNotRetriedAndLeavesNoFile) {
    SleepRecorder sleeps;
    Serve("/f/slow.exe", json::array({{{"body_size", 400000}, {"pace", {1000, 0.01}}}}));
    auto future = std::async(std::launch::async, [this] {
        return manager->Download(Https("/f/slow.exe"), window.Handle(), L"", true);
    });
    while (future.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready &&
           window.percents.empty()) {
        window.Pump();
    }
    manager->cancelled = true;
    const Result result = window.Wait(future);
    EXPECT_FALSE(result.first);
    EXPECT_EQ(L"[WINHTTP] Download cancelled.", result.second.str());
    EXPECT_FALSE(FileExists(work / L"slow.exe"));
    EXPECT_TRUE(sleeps.Pauses().empty());
    EXPECT_EQ(1u, service::Requests("/f/slow.exe").size());
}

TEST_F(DownloadTest, ANameThatLeavesTheFolderWritesNothing) {
    ScratchFolder outer;
    const std::wstring deep = outer / L"a";
    CreateDirectoryW(deep.c_str(), nullptr);
    config->workFolder = (deep + L"\\b").c_str();
    CreateDirectoryW(config->workFolder, nullptr);
    const struct {
        CString url;
        CString fileName;
        const wchar_t* name;
    } cases[] = {
        {Https("/f/x.exe"), L"..\\..\\x.exe", L"..\\..\\x.exe"},
        {Https("/f/x.exe"), L"C:\\x.exe", L"C:\\x.exe"},
        {Https("/f/x.exe"), L"sub/x.exe", L"sub/x.exe"},
        {Https("/f/x.exe"), L"..", L".."},
        {Https("/f/x.exe"), L"x.exe:hidden", L"x.exe:hidden"},
        {Https("/f/x.exe"), L"CON", L"CON"},
        {CString(L"https://localhost/f/..\\..\\x.exe"), L"", L"..\\..\\x.exe"},
        {CString(L"https://localhost/f/"), L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToNarrow(c.fileName.IsEmpty() ? c.url : c.fileName, CP_UTF8));
        service::Reset();
        const Result result = Download(c.url, c.fileName);
        EXPECT_FALSE(result.first);
        EXPECT_EQ(L"Invalid file name: " + std::wstring(c.name), result.second.str());
        // Called on their own, the engines refuse the name as well.
        EXPECT_EQ(L"[WINHTTP] Invalid file name: " + std::wstring(c.name),
                  WinHttp(c.url, c.fileName).second.str());
        EXPECT_EQ(L" [WININET] Invalid file name: " + std::wstring(c.name),
                  WinInet(c.url, c.fileName).second.str());
        EXPECT_TRUE(service::Requests().empty());
        EXPECT_TRUE(manager->ResolveTargetPath(c.url, c.fileName, true).IsEmpty());
    }
    EXPECT_FALSE(FileExists(outer / L"x.exe"));
    EXPECT_FALSE(FileExists(L"C:\\x.exe"));
    EXPECT_TRUE(PathIsDirectoryEmptyW(config->workFolder));
}

TEST_F(DownloadTest, AQueryInTheAddressStaysInTheFileName) {
    const CString url = Https("/f/x.exe?v=1");
    EXPECT_EQ(work / L"x.exe?v=1", manager->ResolveTargetPath(url, L"", true).str());
    SleepRecorder sleeps;
    Serve("/f/x.exe", json::array({{{"body", "x"}}, {{"body", "x"}}}));
    const Result result = Download(url);
    EXPECT_FALSE(result.first);
    EXPECT_TRUE(IsSystemError(result.second.Left(result.second.Find(L" [WININET] ")),
                              L"[WINHTTP] Failed to open file for writing: "));
    EXPECT_TRUE(PathIsDirectoryEmptyW(work.Path().c_str()));
}

TEST_F(DownloadTest, AMissingFolderShowsInvalidPathAndFailsAtTheFileCheck) {
    MessageBoxRecorder boxes;
    config->workFolder = (work / L"gone").c_str();
    Serve("/f/x.exe", json::array({{{"body", "x"}}, {{"body", "x"}}}));
    EXPECT_TRUE(manager->ResolveTargetPath(Https("/f/x.exe"), L"", true).IsEmpty());
    EXPECT_TRUE(IsSystemError(WinHttp(Https("/f/x.exe")).second,
                              L"[WINHTTP] Failed to open file for writing: "));
    EXPECT_TRUE(IsSystemError(WinInet(Https("/f/x.exe")).second,
                              L" [WININET] Failed to open file for writing: "));
    const auto shown = boxes.Boxes();
    ASSERT_EQ(3u, shown.size());
    for (const auto& box : shown) {
        EXPECT_EQ(L"Invalid path", box.text);
        EXPECT_EQ(static_cast<UINT>(MB_OK), box.type);
    }
    // The request still went out: the file is checked once the answer is in.
    EXPECT_EQ(2u, service::Requests("/f/x.exe").size());
}

TEST_F(DownloadTest, FullAddressesAreRequestedAsGivenAndPathsBelowTheFileHost) {
    const struct {
        const wchar_t* address;
        const char* path;
        const char* scheme;
    } cases[] = {
        {L"https://localhost/f/x.exe", "/f/x.exe", "https"},
        {L"http://localhost:8780/f/x.exe", "/f/x.exe", "http"},
        {L"files/setup.exe", "/f/files/setup.exe", "https"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToNarrow(c.address, CP_UTF8));
        service::Reset();
        Serve(c.path, json::array({{{"body", "installer"}}}));
        const Result result = Download(FullDownloadUrl(c.address));
        EXPECT_TRUE(result.first) << WideToNarrow(result.second, CP_UTF8);
        const auto requests = service::Requests();
        ASSERT_EQ(1u, requests.size());
        EXPECT_EQ(c.path, requests[0].target);
        EXPECT_EQ(c.scheme, requests[0].scheme);
    }
    EXPECT_EQ(L"setup.exe", FullDownloadUrl(L"setup.exe").str());
}

TEST(SecureProtocols, OfferTlsButNeverSsl3) {
    const DWORD protocols = WinHttpSecureProtocols();
    EXPECT_EQ(0u, protocols & WINHTTP_FLAG_SECURE_PROTOCOL_SSL3);
    EXPECT_EQ(
        static_cast<DWORD>(WINHTTP_FLAG_SECURE_PROTOCOL_TLS1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 |
                           WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2),
        protocols);
}

TEST(FormatSystemError, GivesTheSystemTextAndLeavesInsertsAlone) {
    const std::wstring notFound = DownloadManager::FormatSystemError(ERROR_FILE_NOT_FOUND).str();
    ASSERT_GT(notFound.size(), 2u);
    EXPECT_EQ(L"\r\n", notFound.substr(notFound.size() - 2));
    EXPECT_NE(std::wstring::npos,
              DownloadManager::FormatSystemError(ERROR_BAD_EXE_FORMAT).str().find(L"%1"));
    EXPECT_EQ(L"", DownloadManager::FormatSystemError(0x2FFFFFFF).str());
}
