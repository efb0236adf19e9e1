#include "pages/WelcomePageIsv.h"

#include "config/ConfigurationManager.h"
#include "pages/WebAddress.h"

WelcomePageIsv::WelcomePageIsv(std::shared_ptr<LanguageManager> manager, HWND parent)
    : IPage(std::move(manager), kTemplate, parent) {
    OnCommand(kNextId, BN_CLICKED, &WelcomePageIsv::OnNext);
}

BOOL WelcomePageIsv::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(privacyLink, 1039);
    BindControl(termsLink, 1040);
    BindControl(sdkLinkCtrl, 1041);
    BindControl(pageImage, 1016);

    auto config = ConfigurationManager::GetInstance();
    if (config->wizardType == ConfigurationManager::kWizardDlm) {
        pageImage.SetImage(config->productImage);
    } else {
        pageImage.LoadFromResource(101, L"IMAGE_BLOB");
    }
    RegisterTexts();
    UpdateTexts();
    SizeLinks();
    SetLinkUrls();
    return TRUE;
}

void WelcomePageIsv::RegisterTexts() {
    const bool dlm =
        ConfigurationManager::GetInstance()->wizardType == ConfigurationManager::kWizardDlm;
    BindText(1008, "PRODUCT_TITLE");
    BindText(1017, "WELCOME_TITLE");
    BindText(1018, "WELCOME_TEXT");
    BindText(kNextId, "BUTTON_NEXT");
    BindText(1039, "PRIVACY_LINK");
    BindText(1040, dlm ? "TOS_LINK" : "EULA_LINK");
    BindText(1041, "SDK_LINK");
}

void WelcomePageIsv::UpdateTexts() {
    IPage::UpdateTexts();
    SizeLinks();
}

void WelcomePageIsv::SizeLinks() {
    privacyLink.SizeToContent();
    termsLink.SizeToContent();
    sdkLinkCtrl.SizeToContent();
}

void WelcomePageIsv::SetLinkUrls() {
    auto config = ConfigurationManager::GetInstance();
    const std::pair<CMFCLinkCtrl*, CString> links[] = {{&privacyLink, config->cp},
                                                       {&termsLink, config->ctu},
                                                       {&sdkLinkCtrl, config->sdkLicenseUrl}};
    // An address that is not a web address is treated as none: the link is
    // hidden instead of letting a click hand it to the shell.
    for (const auto& [link, address] : links) {
        const bool usable = IsWebAddress(address);
        link->SetURL(usable ? address : CString());
        if (!usable) {
            link->ShowWindow(SW_HIDE);
        }
    }
}
