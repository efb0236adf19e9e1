#include "pages/LicensePageIsv.h"

#include "config/ConfigurationManager.h"
#include "pages/LinkClick.h"
#include "pages/WebAddress.h"

LicensePageIsv::LicensePageIsv(std::shared_ptr<LanguageManager> manager, HWND parent)
    : IPage(std::move(manager), kTemplate, parent) {
    OnCommand(kAgreeId, BN_CLICKED, [this] { PressButton(ButtonType::Next); });
    OnCommand(kBackId, BN_CLICKED, [this] { PressButton(ButtonType::Back); });
    OnNotify(kLinksId, NM_CLICK, &OnLinkClick);
    OnNotify(kLinksId, NM_RETURN, &OnLinkClick);
    // The dialog manager selects all of an edit control's text when it gives
    // it the focus; a licence to read should not come up highlighted.
    OnCommand(1046, EN_SETFOCUS, [this] { eulaText.SendMessage(EM_SETSEL, 0, 0); });
}

BOOL LicensePageIsv::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(eulaText, 1046);
    BindControl(titleLabel, 1019);
    BindControl(licenseLinks, kLinksId);
    eulaText.SetAutoURLDetect(true);
    backgroundBrush.CreateSolidBrush(ConfigurationManager::GetInstance()->backgroundColor);
    RegisterTexts();
    UpdateTexts();
    ReplaceLicenseUrls();

    LOGFONTW description{};
    HFONT current = titleLabel.GetFont();
    if (!current || !::GetObjectW(current, sizeof(description), &description)) {
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
    }
    description.lfHeight = 12;
    description.lfWeight = 1000;
    if (titleFont.CreateFontIndirect(description)) {
        titleLabel.SetFont(titleFont, true);
    }
    return TRUE;
}

void LicensePageIsv::RegisterTexts() {
    BindText(1008, "PRODUCT_TITLE");  // the template has no 1008; kept for the shared key list
    BindText(1019, "LICENSE_TITLE");
    BindText(1020, "LICENSE_TEXT");
    BindText(kAgreeId, "BUTTON_AGREE");
    BindText(kBackId, "BUTTON_BACK");
    BindText(1046, "LICENSE_EULA");
    BindText(kLinksId, "LICENSE_DISCLAIMER");
}

void LicensePageIsv::ReplaceLicenseUrls() {
    auto config = ConfigurationManager::GetInstance();
    CString text = licenseLinks.GetWindowText();
    text.Replace(L"[LICENSE_TOS_URL]", LinkMarkupAddress(config->ctu));
    text.Replace(L"[LICENSE_PRIVACY_URL]", LinkMarkupAddress(config->cp));
    licenseLinks.SetWindowText(text);
}

HBRUSH LicensePageIsv::OnCtlColor(HDC dc, HWND control, UINT kind) {
    if (control && ::GetDlgCtrlID(control) == kLinksId) {
        ::SetBkMode(dc, TRANSPARENT);
        return backgroundBrush;
    }
    return IPage::OnCtlColor(dc, control, kind);
}
