#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "pages/IPage.h"

class Package;

// Page 1: fetches the configuration and the images in the background, then
// hands the eligible offers to the main dialog.
//
// Placeholder until the service client lands: the page shows its template
// and never starts a request, so the load-complete callback is only stored.
class LoadingPage : public IPage {
public:
    static constexpr UINT kTemplate = 102;
    using LoadCompleteCallback = std::function<void(std::vector<std::shared_ptr<Package>>)>;

    LoadingPage(std::shared_ptr<LanguageManager> languageManager, HWND parent)
        : IPage(std::move(languageManager), kTemplate, parent) {}

    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"LoadingPage"; }
    void SetLoadCompleteCallback(LoadCompleteCallback callback) {
        loadCompleteCallback = std::move(callback);
    }

private:
    LoadCompleteCallback loadCompleteCallback;
};
