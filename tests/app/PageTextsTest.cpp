// Built once per wizard variant, with that variant's resources and build
// constants: every page the variant can show, in every language it offers,
// must show real texts, never a template's placeholder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "api/Package.h"
#include "app/CTallwickDlg.h"
#include "config/ConfigurationManager.h"
#include "localisation/LanguageManager.h"
#include "pages/ErrorPage.h"
#include "pages/IPage.h"
#include "pages/LanguagePage.h"
#include "pages/ProductPage.h"
#include "support/UiEnvironment.h"

namespace {

class PageTexts : public UiTest {};

struct Walk {
    std::string where;
    std::vector<std::string> found;
};

BOOL CALLBACK CollectPlaceholders(HWND window, LPARAM data) {
    auto* walk = reinterpret_cast<Walk*>(data);
    const std::string text = WindowText(window);
    if (text.find("placeholder") != std::string::npos) {
        walk->found.push_back(walk->where + ": " + text);
    }
    return TRUE;
}

// Every control of every page, and of the frame around them, whose text holds
// "placeholder", as "<page>: <text>".
std::vector<std::string> PlaceholderTexts(const CTallwickDlg& dialog) {
    Walk walk;
    std::vector<std::pair<std::string, HWND>> pages{
        {"ErrorPage", dialog.GetErrorPage()->GetSafeHwnd()}};
    for (const auto& page : dialog.Pages()) {
        pages.emplace_back(WideToNarrow(page->GetPageName(), CP_UTF8), page->GetSafeHwnd());
    }
    for (const auto& [name, page] : pages) {
        walk.where = name;
        EnumChildWindows(page, CollectPlaceholders, reinterpret_cast<LPARAM>(&walk));
    }
    walk.where = "frame";
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (std::none_of(pages.begin(), pages.end(),
                         [child](const auto& page) { return page.second == child; })) {
            CollectPlaceholders(child, reinterpret_cast<LPARAM>(&walk));
        }
    }
    return walk.found;
}

std::vector<std::wstring> Languages(HWND languagePage) {
    HWND combo = GetDlgItem(languagePage, LanguagePage::kComboId);
    std::vector<std::wstring> names;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t name[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
        names.push_back(name);
    }
    return names;
}

}  // namespace

// Each language gets a wizard of its own, as a user who starts in it would:
// a switch of language keeps the earlier language's text where the new one
// has none, which would hide a missing text.
TEST_F(PageTexts, NoPageShowsAPlaceholderInAnyLanguage) {
    auto config = ConfigurationManager::GetInstance();
    config->productTitle = L"Kestrano Viewer";
    std::vector<std::wstring> languages;
    {
        CTallwickDlg dialog;
        ASSERT_TRUE(dialog.Create(nullptr));
        languages = Languages(*dialog.Pages().at(0));
    }
    ASSERT_EQ(languages.size(), 2u);

    for (const std::wstring& language : languages) {
        SCOPED_TRACE(WideToNarrow(language.c_str(), CP_UTF8));
        config->languageName = language.c_str();
        CTallwickDlg dialog;
        dialog.SetBackgroundColor(config->backgroundColor);
        ASSERT_TRUE(dialog.Create(nullptr));
        ASSERT_TRUE(dialog.GetLanguageManager()->SetLanguage(language.c_str()));
        // The pages that follow the loading page, as a finished load creates
        // them in the chosen language.
        SendMessageW(dialog, WM_LOAD_COMPLETE, 0, 0);
        ASSERT_GT(dialog.Pages().size(), 3u);
        EXPECT_EQ(PlaceholderTexts(dialog), std::vector<std::string>{});

        // A product page, as an eligible offer gets one.
        const nlohmann::json offer = {{"ad", {{"f", "F"}, {"o", "offer"}}},
                                      {"ps",
                                       {{"i", "offer.png"},
                                        {"dn", "Offer"},
                                        {"u", "o.exe"},
                                        {"cp", "https://p.test"},
                                        {"ctu", "https://t.test"}}}};
        auto package = std::make_shared<Package>(SignedRequest(), offer, false, "", 0);
        ProductPage product(dialog.GetLanguageManager(), dialog, package);
        ASSERT_TRUE(product.Create());
        Walk walk{"ProductPage", {}};
        EnumChildWindows(product, CollectPlaceholders, reinterpret_cast<LPARAM>(&walk));
        EXPECT_EQ(walk.found, std::vector<std::string>{});
    }
}
