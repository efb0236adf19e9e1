#pragma once

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/CProgressCtrl.h"
#include "pages/IPage.h"

class Package;

// Page 1: fetches the configuration and evaluates the offers on a worker,
// then downloads the product image and one image per eligible offer, and
// hands the eligible offers to the main dialog once the last image is in.
class LoadingPage : public IPage {
public:
    static constexpr UINT kTemplate = 102;
    static constexpr int kProgressId = 1043;
    using LoadCompleteCallback = std::function<void(std::vector<std::shared_ptr<Package>>)>;

    LoadingPage(std::shared_ptr<LanguageManager> languageManager, HWND parent);
    // Waits for the worker; image downloads still running afterwards find no
    // callback and end quietly.
    ~LoadingPage() override;

    void OnNavigateToPage() override;
    CString GetPageName() const override { return L"LoadingPage"; }
    void SetLoadCompleteCallback(LoadCompleteCallback callback);
    void ShowConfigurationError();

protected:
    BOOL OnInitDialog() override;

private:
    // What the image completions share with the page. Completions run on
    // download threads and may outlive the page, so they hold this state, not
    // the page; the page takes its callback away when it goes.
    struct PendingImages {
        std::mutex pendingLock;
        int32_t pendingImages = 0;                  // guarded by pendingLock
        LoadCompleteCallback loadCompleteCallback;  // guarded by pendingLock
    };

    // The worker: configuration request, main-product values, offer checks.
    std::vector<std::shared_ptr<Package>> LoadConfiguration(HWND page);
    LRESULT OnRequestComplete(WPARAM, LPARAM);
    static void ImageDone(const std::shared_ptr<PendingImages>& pending,
                          const std::vector<std::shared_ptr<Package>>& packages);

    std::shared_ptr<PendingImages> pending = std::make_shared<PendingImages>();
    std::future<std::vector<std::shared_ptr<Package>>> requestResult;
    CProgressCtrl progress;
    std::atomic<bool> configError{false};
};
