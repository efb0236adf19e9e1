#pragma once

#include "controls/CStaticFromImage.h"
#include "pages/IPage.h"

// The page that ends a wizard that cannot go on: a title, a text, a picture
// and CLOSE. Not part of the page sequence.
class ErrorPage : public IPage {
public:
    static constexpr UINT kTemplate = 108;
    static constexpr int kCloseId = 1035;

    ErrorPage(std::shared_ptr<LanguageManager> languageManager, HWND parent);

    void OnNavigateToPage() override {}
    // The error page ends the wizard itself; it reports no errors.
    void SetErrorCallback(ErrorCallback) override {}
    CString GetPageName() const override { return L"ErrorPage"; }

    CString title;
    CString text;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(bool saveAndValidate) override;
    void RegisterTexts() override { BindText(kCloseId, "BUTTON_CLOSE"); }

private:
    void OnCloseButton() { PressButton(ButtonType::Close); }

    CStaticFromImage pageImage;
};
