#pragma once

#include <memory>

#include "pages/IPage.h"

class Package;

// Page that an offer the user accepts or declines.
//
// Placeholder until its own work lands: the page shows its template and
// reports no buttons.
class ProductPage : public IPage {
public:
    static constexpr UINT kTemplate = 105;

    ProductPage(std::shared_ptr<LanguageManager> languageManager, HWND parent,
                std::shared_ptr<Package> package)
        : IPage(std::move(languageManager), kTemplate, parent), package(std::move(package)) {}

    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"ProductPage"; }

private:
    std::shared_ptr<Package> package;
};
