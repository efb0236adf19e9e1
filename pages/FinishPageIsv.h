#pragma once

#include "pages/IPage.h"

// Page that the last page of the ISV flavour.
//
// Placeholder until its own work lands: the page shows its template and
// reports no buttons.
class FinishPageIsv : public IPage {
public:
    static constexpr UINT kTemplate = 107;

    FinishPageIsv(std::shared_ptr<LanguageManager> languageManager, HWND parent)
        : IPage(std::move(languageManager), kTemplate, parent) {}

    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"FinishPageISV"; }
};
