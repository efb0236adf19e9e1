#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/CBrush.h"
#include "framework/CDialogEx.h"
#include "pages/ButtonType.h"

class LanguageManager;

// Custom window messages of the wizard.
constexpr UINT WM_DOWNLOAD_PROGRESS = WM_USER + 1;  // wParam: percent
constexpr UINT WM_DOWNLOAD_NO_LENGTH = WM_USER + 2;
constexpr UINT WM_LOAD_COMPLETE = WM_USER + 3;
constexpr UINT WM_REQUEST_COMPLETE = WM_USER + 4;

// Common control ids of every page template.
constexpr int kPageButtonBarId = 1002;

using ButtonCallback = std::function<void(ButtonType)>;
using ErrorCallback = std::function<void(const CString& title, const CString& text)>;

// Base of every wizard page: a modeless child dialog whose texts come from
// the language manager. The main dialog owns the pages, shows one at a time
// and learns about the buttons through the button callback.
class IPage : public CDialogEx {
public:
    IPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId, HWND parent);
    ~IPage() override;

    // Called each time the page becomes the visible page.
    virtual void OnNavigateToPage() = 0;
    virtual void SetButtonCallback(ButtonCallback callback) {
        buttonCallback = std::move(callback);
    }
    virtual void SetErrorCallback(ErrorCallback callback) { errorCallback = std::move(callback); }
    // Re-applies the localised texts of the bound controls.
    virtual void UpdateTexts();
    virtual CString GetPageName() const = 0;
    // The wizard is closing: the page ends or lets go of what it runs in the
    // background, so that nothing of it writes into the working folder once
    // the wizard deletes that folder.
    virtual void OnWizardClosing() {}

protected:
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;

    // Binds the control with this dialog id to a text key; a control that the
    // template lacks is skipped when the texts are applied.
    void BindText(int controlId, const char* key) { textBindings.emplace_back(controlId, key); }
    // Each page lists its bindings here, from its OnInitDialog.
    virtual void RegisterTexts() {}

    void PressButton(ButtonType type) {
        if (buttonCallback) {
            buttonCallback(type);
        }
    }
    void ReportError(const CString& title, const CString& text) {
        if (errorCallback) {
            errorCallback(title, text);
        }
    }

    std::shared_ptr<LanguageManager> languageManager;
    std::vector<std::pair<int, std::string>> textBindings;
    CBrush accentBrush;
    ButtonCallback buttonCallback;
    ErrorCallback errorCallback;
};
