#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <memory>
#include <string>
#include <vector>

#include "config/ConfigurationManager.h"
#include "controls/CStaticFromImage.h"
#include "controls/DownloadProgressBar.h"
#include "controls/LoadImageFromResource.h"
#include "localisation/LanguageManager.h"
#include "pages/ErrorPage.h"
#include "pages/LicensePageIsv.h"
#include "pages/WelcomePageIsv.h"
#include "framework/ShellOpen.h"
#include "support/UiEnvironment.h"

namespace {

class Pages : public UiTest {
protected:
    void SetUp() override {
        parent = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 700, 500, nullptr,
                                 nullptr, nullptr, nullptr);
        manager = std::make_shared<LanguageManager>();
    }
    void TearDown() override { DestroyWindow(parent); }

    void LoadTexts(const char* xml) {
        tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
        ASSERT_EQ(document.Parse(xml), tinyxml2::XML_SUCCESS);
        ASSERT_TRUE(manager->LoadStrings(document));
    }

    HWND parent = nullptr;
    std::shared_ptr<LanguageManager> manager;
};

// Sets configuration fields for one test and restores them afterwards.
class LinkAddresses {
public:
    LinkAddresses(const wchar_t* terms, const wchar_t* privacy) {
        auto config = ConfigurationManager::GetInstance();
        savedTerms = config->ctu;
        savedPrivacy = config->cp;
        config->ctu = terms;
        config->cp = privacy;
    }
    ~LinkAddresses() {
        auto config = ConfigurationManager::GetInstance();
        config->ctu = savedTerms;
        config->cp = savedPrivacy;
    }

private:
    CString savedTerms;
    CString savedPrivacy;
};

// Records what the pages hand to the shell instead of opening it.
class OpenedAddresses {
public:
    OpenedAddresses() {
        previous = SetShellOpenHook([this](const CString& target, const CString&) {
            opened.push_back(WideToNarrow(target));
        });
    }
    ~OpenedAddresses() { SetShellOpenHook(std::move(previous)); }
    std::vector<std::string> opened;

private:
    ShellOpenHook previous;
};

std::wstring LinkUrl(HWND page, int control, int index) {
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = index;
    if (!SendDlgItemMessageW(page, control, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item))) {
        return L"<no item>";
    }
    return item.szUrl;
}

// What a click on a SysLink item sends to its parent.
void ClickLinkItem(HWND page, int control, int index) {
    NMLINK link{};
    link.hdr.hwndFrom = GetDlgItem(page, control);
    link.hdr.idFrom = static_cast<UINT_PTR>(control);
    link.hdr.code = NM_CLICK;
    link.item.iLink = index;
    wcsncpy(link.item.szUrl, LinkUrl(page, control, index).c_str(), L_MAX_URL_LENGTH - 1);
    SendMessageW(page, WM_NOTIFY, static_cast<WPARAM>(control), reinterpret_cast<LPARAM>(&link));
}

}  // namespace

TEST_F(Pages, TemplateTextsStayWhileNoLanguageIsLoaded) {
    ErrorPage error(manager, parent);
    WelcomePageIsv welcome(manager, parent);
    ASSERT_TRUE(error.Create());
    ASSERT_TRUE(welcome.Create());
    EXPECT_EQ(ItemText(error, 1035), "CLOSE placeholder");
    EXPECT_EQ(ItemText(welcome, 1010), "NEXT placeholder");
    EXPECT_EQ(ItemText(welcome, 1017), "WELCOME_TITLE placeholder");
}

TEST_F(Pages, LicensePageAppliesItsTextsAndFillsTheLinkAddresses) {
    LinkAddresses addresses(L"https://example.test/terms", L"https://example.test/privacy");
    // No BUTTON_AGREE: the button keeps its template text.
    LoadTexts(
        "<Locale name=\"es\"><LICENSE_TITLE>Licencia</LICENSE_TITLE>"
        "<BUTTON_BACK>Back</BUTTON_BACK><LICENSE_EULA>Terms text</LICENSE_EULA>"
        "<LICENSE_DISCLAIMER>See &lt;a href=\"[LICENSE_TOS_URL]\"&gt;terms&lt;/a&gt; and "
        "&lt;a href=\"[LICENSE_PRIVACY_URL]\"&gt;privacy&lt;/a&gt;.</LICENSE_DISCLAIMER>"
        "</Locale>");
    LicensePageIsv page(manager, parent);
    std::vector<ButtonType> pressed;
    ASSERT_TRUE(page.Create());  // binds 1008, which the template lacks
    page.SetButtonCallback([&](ButtonType type) { pressed.push_back(type); });

    EXPECT_EQ(ItemText(page, 1019), "Licencia");
    EXPECT_EQ(ItemText(page, 1020), "LICENSE_TEXT placeholder");
    EXPECT_EQ(ItemText(page, 1050), "AGREE placeholder");
    EXPECT_EQ(ItemText(page, 1051), "Back");
    EXPECT_EQ(ItemText(page, 1046), "Terms text");

    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = 0;
    ASSERT_TRUE(SendDlgItemMessageW(page, 1047, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(WideToNarrow(item.szUrl), "https://example.test/terms");
    item.iLink = 1;
    ASSERT_TRUE(SendDlgItemMessageW(page, 1047, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(WideToNarrow(item.szUrl), "https://example.test/privacy");

    LOGFONTW title{};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(page, 1019, WM_GETFONT, 0, 0)),
               sizeof(title), &title);
    EXPECT_EQ(title.lfHeight, 12);

    ClickButton(page, 1050);
    ClickButton(page, 1051);
    EXPECT_EQ(pressed, (std::vector<ButtonType>{ButtonType::Next, ButtonType::Back}));
}

TEST_F(Pages, WelcomePageHidesLinksWithoutAddress) {
    LinkAddresses addresses(L"", L"https://example.test/privacy");
    LoadTexts(
        "<Locale name=\"en_US\"><WELCOME_TITLE>Welcome to</WELCOME_TITLE>"
        "<PRIVACY_LINK>Privacy Policy</PRIVACY_LINK><TOS_LINK>Terms</TOS_LINK>"
        "<SDK_LINK>SDK License</SDK_LINK></Locale>");
    WelcomePageIsv page(manager, parent);
    ASSERT_TRUE(page.Create());
    page.ShowWindow(SW_SHOW);
    EXPECT_EQ(ItemText(page, 1017), "Welcome to");
    EXPECT_EQ(ItemText(page, 1039), "Privacy Policy");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, 1039)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, 1040)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, 1041)));  // the SDK licence address is built in
}

// Addresses come from the service: a quote must not add anchors to the link
// text, and only web addresses may reach the shell.
TEST_F(Pages, LicenseLinksEscapeAddressesAndOpenOnlyWebAddresses) {
    LinkAddresses addresses(L"https://example.test/t?q=\"a\"<b>\" href=\"file:///C:/x.exe",
                            L"\\\\server\\share\\run.exe");
    LoadTexts(
        "<Locale name=\"en_US\"><LICENSE_DISCLAIMER>See &lt;a href=\"[LICENSE_TOS_URL]\"&gt;terms"
        "&lt;/a&gt; and &lt;a href=\"[LICENSE_PRIVACY_URL]\"&gt;privacy&lt;/a&gt;."
        "</LICENSE_DISCLAIMER></Locale>");
    LicensePageIsv page(manager, parent);
    ASSERT_TRUE(page.Create());
    OpenedAddresses shell;

    EXPECT_EQ(LinkUrl(page, 1047, 0),
              L"https://example.test/t?q=%22a%22%3Cb%3E%22 href=%22file:///C:/x.exe");
    EXPECT_EQ(LinkUrl(page, 1047, 1), L"\\\\server\\share\\run.exe");
    EXPECT_EQ(LinkUrl(page, 1047, 2), L"<no item>");

    ClickLinkItem(page, 1047, 1);
    ClickLinkItem(page, 1047, 0);
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{
                  "https://example.test/t?q=%22a%22%3Cb%3E%22 href=%22file:///C:/x.exe"}));
}

TEST_F(Pages, WelcomePageHidesLinksThatAreNotWebAddresses) {
    LinkAddresses addresses(L"file:///C:/Windows/notepad.exe", L"HTTPS://example.test/privacy");
    WelcomePageIsv page(manager, parent);
    ASSERT_TRUE(page.Create());
    page.ShowWindow(SW_SHOW);
    OpenedAddresses shell;
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, 1040)));
    ASSERT_TRUE(IsWindowVisible(GetDlgItem(page, 1039)));
    SendDlgItemMessageW(page, 1040, WM_LBUTTONUP, 0, 0);
    SendDlgItemMessageW(page, 1039, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"HTTPS://example.test/privacy"}));
}

TEST_F(Pages, PagesLeaveTheLanguageManagerWhenTheyGo) {
    auto first = std::make_unique<ErrorPage>(manager, parent);
    auto second = std::make_unique<ErrorPage>(manager, parent);
    ASSERT_TRUE(first->Create());
    ASSERT_TRUE(second->Create());
    EXPECT_EQ(manager->Pages().size(), 2u);
    first.reset();
    EXPECT_EQ(manager->Pages(), (std::vector<IPage*>{second.get()}));
    LoadTexts("<Locale name=\"en_US\"><BUTTON_CLOSE>Close</BUTTON_CLOSE></Locale>");
    for (IPage* page : manager->Pages()) {
        page->UpdateTexts();
    }
    EXPECT_EQ(ItemText(*second, 1035), "Close");
}

TEST_F(Pages, EmbeddedBadgesDecodeAndMissingOnesGiveNothing) {
    struct Case {
        int id;
        const wchar_t* type;
    };
    for (const Case& test :
         {Case{101, L"IMAGE_BLOB"}, Case{102, L"IMAGE_BLOB2"}, Case{103, L"IMAGE_BLOB3"}}) {
        auto bitmap =
            LoadImageFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(test.id), test.type);
        ASSERT_TRUE(bitmap) << test.id;
        EXPECT_EQ(bitmap->GetWidth(), 512u);
        EXPECT_EQ(bitmap->GetHeight(), 512u);
    }
    EXPECT_FALSE(
        LoadImageFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(999), L"IMAGE_BLOB"));
    EXPECT_FALSE(LoadImageFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(105),
                                       L"LOCALE"));  // not an image
}

TEST_F(Pages, ErrorPageDrawsItsBadgeScaledToTheControl) {
    ErrorPage page(manager, parent);
    ASSERT_TRUE(page.Create());
    page.ShowWindow(SW_SHOW);
    UpdateWindow(page);
    HWND image = GetDlgItem(page, 1016);
    RECT client;
    GetClientRect(image, &client);

    // Render the control into a bitmap and look at its centre and corner.
    HDC screen = GetDC(image);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    const COLORREF centre =
        GetPixel(memory, client.right / 2 + client.right / 5, client.bottom / 2);
    const COLORREF edge = GetPixel(memory, client.right - 3, client.bottom / 2);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(image, screen);

    // Right of the cross's centre lies the red badge; the whole badge fits.
    EXPECT_GT(GetRValue(centre), 150);
    EXPECT_LT(GetGValue(centre), 120);
    EXPECT_GT(GetRValue(edge), 150);
}

// What the download pages' bar shows after a run of messages: a share, or a
// marquee for an unknown length, a value above 100 and the installers.
TEST_F(Pages, DownloadProgressBarShowsSharesAndMarquees) {
    enum Step { NoLength = -1, Installing = -2 };
    struct Case {
        const char* name;
        std::vector<int> steps;  // percentages or a Step
        bool marquee;
        int position;
    } cases[] = {
        {"a share", {40}, false, 40},
        {"a full bar", {100}, false, 100},
        {"above 100", {250}, true, 0},
        {"a share after a value above 100", {250, 40}, false, 40},
        {"a share after an unknown length", {NoLength, 70}, false, 70},
        {"an unknown length", {30, NoLength}, true, 0},
        {"the installers", {100, Installing}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND control = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200,
                                       12, parent, nullptr, nullptr, nullptr);
        DownloadProgressBar bar;
        ASSERT_TRUE(bar.Attach(control));
        for (int step : c.steps) {
            if (step == NoLength) {
                bar.OnLengthUnknown();
            } else if (step == Installing) {
                bar.OnInstalling();
            } else {
                bar.OnProgress(static_cast<WPARAM>(step));
            }
        }
        EXPECT_EQ((GetWindowLongW(control, GWL_STYLE) & PBS_MARQUEE) != 0, c.marquee);
        EXPECT_EQ(bar.InMarquee(), c.marquee);
        EXPECT_EQ(SendMessageW(control, PBM_GETPOS, 0, 0), c.position);
        bar.Detach();
        DestroyWindow(control);
    }
}
