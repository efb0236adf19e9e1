#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <string>

#include "ProgressWindow.h"
#include "config/ConfigurationManager.h"
#include "download/DownloadManager.h"
#include "support/ScratchFolder.h"
#include "support/ServiceControl.h"
#include "support/ZipWriter.h"

// Transfers against the reference service into fresh folders: the
// configuration's work and downloads folders point at them for the test, and
// every test has its own manager (its cancel flag is never cleared).
class DownloadTest : public testing::Test {
protected:
    using Result = DownloadManager::Result;

    void SetUp() override {
        service::Reset();
        savedWork = config->workFolder;
        savedDownloads = config->downloadsFolder;
        config->workFolder = work.Path().c_str();
        config->downloadsFolder = downloads.Path().c_str();
    }
    void TearDown() override {
        config->workFolder = savedWork;
        config->downloadsFolder = savedDownloads;
    }

    // Runs a transfer on a worker, as the download pages do, while this
    // thread handles the window's messages.
    Result Run(std::function<Result(DownloadManager&, HWND)> transfer) {
        auto future = std::async(std::launch::async,
                                 [this, transfer] { return transfer(*manager, window.Handle()); });
        return window.Wait(future);
    }
    Result Download(const CString& url, const CString& fileName = CString(),
                    bool useWorkFolder = true) {
        return Run([=](DownloadManager& m, HWND w) {
            return m.Download(url, w, fileName, useWorkFolder);
        });
    }
    Result WinHttp(const CString& url, const CString& fileName = CString()) {
        return Run([=](DownloadManager& m, HWND w) {
            return m.DownloadWithWinHttp(url, w, fileName, true);
        });
    }
    Result WinInet(const CString& url, const CString& fileName = CString()) {
        return Run([=](DownloadManager& m, HWND w) {
            return m.DownloadWithWinInet(url, w, fileName, true);
        });
    }

    static void Serve(const std::string& path, const nlohmann::json& responses) {
        service::SetScenario({{"path", path}, {"responses", responses}});
    }
    static CString Https(const std::string& path) {
        return CString(("https://localhost" + path).c_str());
    }
    static CString Http(const std::string& path) {
        return CString(("http://localhost:8780" + path).c_str());
    }
    // The body the service sends for "body_size": n.
    static std::string Pattern(size_t n) {
        std::string bytes(n, '\0');
        for (size_t i = 0; i < n; ++i) {
            bytes[i] = static_cast<char>(i % 251);
        }
        return bytes;
    }

    std::shared_ptr<ConfigurationManager> config = ConfigurationManager::GetInstance();
    std::shared_ptr<DownloadManager> manager = std::make_shared<DownloadManager>();
    ScratchFolder work;
    ScratchFolder downloads;
    ProgressWindow window;

private:
    CString savedWork;
    CString savedDownloads;
};

// Whether text is prefix followed by "<code> - <system text of code>", the
// form of the engines' system errors.
inline testing::AssertionResult IsSystemError(const CString& text, const std::wstring& prefix) {
    const std::wstring& value = text.str();
    if (value.compare(0, prefix.size(), prefix) != 0) {
        return testing::AssertionFailure()
               << WideToNarrow(value, CP_UTF8) << " does not start with "
               << WideToNarrow(prefix.c_str(), CP_UTF8);
    }
    const unsigned long code = std::wcstoul(value.c_str() + prefix.size(), nullptr, 10);
    const std::wstring expected =
        prefix + std::to_wstring(code) + L" - " + DownloadManager::FormatSystemError(code).str();
    if (code == 0 || value != expected) {
        return testing::AssertionFailure() << WideToNarrow(value, CP_UTF8) << " is not "
                                           << WideToNarrow(expected.c_str(), CP_UTF8);
    }
    return testing::AssertionSuccess();
}
