#include "pages/LoadingPage.h"

#include <objidl.h>
#include <gdiplus.h>

#include <nlohmann/json.hpp>

#include "api/ApiManager.h"
#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "controls/LoadImageFromMemory.h"
#include "download/DownloadManager.h"
#include "localisation/LanguageManager.h"
#include "pages/ConfigurationResponse.h"

using nlohmann::json;

LoadingPage::LoadingPage(std::shared_ptr<LanguageManager> languageManager, HWND parent)
    : IPage(std::move(languageManager), kTemplate, parent) {
    OnMessage(WM_REQUEST_COMPLETE, &LoadingPage::OnRequestComplete);
}

LoadingPage::~LoadingPage() {
    {
        std::lock_guard<std::mutex> lock(pending->pendingLock);
        pending->loadCompleteCallback = nullptr;
    }
    if (requestResult.valid()) {
        requestResult.wait();
    }
}

void LoadingPage::SetLoadCompleteCallback(LoadCompleteCallback callback) {
    std::lock_guard<std::mutex> lock(pending->pendingLock);
    pending->loadCompleteCallback = std::move(callback);
}

BOOL LoadingPage::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(progress, kProgressId);
    UpdateTexts();
    return TRUE;
}

void LoadingPage::OnNavigateToPage() {
    progress.SetRange(0, 100);
    progress.SetPos(0);
    progress.SetMarquee(true, 30);
    progress.ModifyStyle(0, PBS_MARQUEE);
    const HWND page = m_hWnd;
    requestResult =
        std::async(std::launch::async, [this, page] { return LoadConfiguration(page); });
}

std::vector<std::shared_ptr<Package>> LoadingPage::LoadConfiguration(HWND page) {
    // Whatever happens, the page hears of it; the future carries the result
    // or the error.
    struct PostOnExit {
        HWND page;
        ~PostOnExit() { ::PostMessageW(page, WM_REQUEST_COMPLETE, 0, 0); }
    } postOnExit{page};

    std::unique_ptr<json> response = ApiManager::GetInstance()->RequestConfiguration();
    bool unusable = false;
    auto eligible = ReadConfigurationResponse(*response, unusable);
    if (unusable) {
        configError = true;
    }
    response.reset();
    return eligible;
}

LRESULT LoadingPage::OnRequestComplete(WPARAM, LPARAM) {
    auto config = ConfigurationManager::GetInstance();
    if (configError) {
        ShowConfigurationError();
        return 0;
    }
    if (!requestResult.valid()) {
        return 0;  // a stray message: the result was taken already
    }
    std::vector<std::shared_ptr<Package>> packages;
    try {
        packages = requestResult.get();
    } catch (...) {
        if (config->wizardType == ConfigurationManager::kWizardDlm) {
            ShowConfigurationError();
            return 0;
        }
        packages.clear();
    }

    {
        std::lock_guard<std::mutex> lock(pending->pendingLock);
        pending->pendingImages = static_cast<int32_t>(packages.size());
    }
    if (config->wizardType == ConfigurationManager::kWizardDlm && !config->cl.IsEmpty()) {
        {
            std::lock_guard<std::mutex> lock(pending->pendingLock);
            ++pending->pendingImages;
        }
        auto state = pending;
        DownloadManager::GetInstance()->FetchAsync(
            config->cl, [state, packages](std::unique_ptr<std::vector<char>> bytes) {
                if (bytes) {
                    if (auto image = LoadImageFromMemory(*bytes)) {
                        ConfigurationManager::GetInstance()->productImage = image;
                    }
                }
                ImageDone(state, packages);
            });
    }
    {
        std::lock_guard<std::mutex> lock(pending->pendingLock);
        if (pending->pendingImages == 0 && pending->loadCompleteCallback) {
            pending->loadCompleteCallback(packages);
        }
    }
    for (const auto& package : packages) {
        auto state = pending;
        package->DownloadImage([state, packages] { ImageDone(state, packages); });
    }
    return 0;
}

void LoadingPage::ImageDone(const std::shared_ptr<PendingImages>& pending,
                            const std::vector<std::shared_ptr<Package>>& packages) {
    std::lock_guard<std::mutex> lock(pending->pendingLock);
    if (--pending->pendingImages == 0 && pending->loadCompleteCallback) {
        pending->loadCompleteCallback(packages);
    }
}

void LoadingPage::ShowConfigurationError() {
    auto config = ConfigurationManager::GetInstance();
    CString title;
    CString text;
    if (config->wizardType == ConfigurationManager::kWizardDlm) {
        title = languageManager->GetText("PAGE_CONFIGURATION_ERROR_TITLE");
        text = languageManager->GetText("PAGE_CONFIGURATION_ERROR_DESC");
    } else if (config->wizardType == ConfigurationManager::kWizardIsv) {
        title = languageManager->GetText("PAGE_ERROR_TITLE");
    }
    ReportError(title, text);
}
