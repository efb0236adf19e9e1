#pragma once

#include "controls/CStaticFromImage.h"
#include "framework/CButton.h"
#include "pages/IPage.h"

// Last page of the DLM flavour: FINISH ends the wizard after launching the
// downloaded product file or showing it selected in its folder.
class FinishPageDlm : public IPage {
public:
    static constexpr UINT kTemplate = 111;
    static constexpr int kFinishId = 1028;
    static constexpr int kLaunchRadioId = 1031;
    static constexpr int kOpenFolderRadioId = 1034;

    FinishPageDlm(std::shared_ptr<LanguageManager> languageManager, HWND parent);

    void OnNavigateToPage() override;
    CString GetPageName() const override { return L"FinishPageDLM"; }

protected:
    BOOL OnInitDialog() override;
    void RegisterTexts() override;

private:
    void OnFinish();

    CButton launchRadio;
    CButton openFolderRadio;
    CStaticFromImage pageImage;
};
