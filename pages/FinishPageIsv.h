#pragma once

#include "controls/CStaticFromImage.h"
#include "framework/CButton.h"
#include "pages/IPage.h"

// Last page of the ISV flavour: FINISH ends the wizard, after launching the
// installed application when the check box is ticked.
class FinishPageIsv : public IPage {
public:
    static constexpr UINT kTemplate = 107;
    static constexpr int kFinishId = 1028;
    static constexpr int kLaunchCheckboxId = 1044;

    FinishPageIsv(std::shared_ptr<LanguageManager> languageManager, HWND parent);

    void OnNavigateToPage() override;
    CString GetPageName() const override { return L"FinishPageISV"; }

protected:
    BOOL OnInitDialog() override;
    void RegisterTexts() override;

private:
    void OnFinish();

    CButton launchCheckbox;
    CStaticFromImage pageImage;
};
