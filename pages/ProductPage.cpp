#include "pages/ProductPage.h"

#include <objidl.h>
#include <gdiplus.h>

#include "api/Package.h"
#include "config/ConfigurationManager.h"
#include "pages/LinkClick.h"
#include "pages/WebAddress.h"

ProductPage::ProductPage(std::shared_ptr<LanguageManager> languageManager, HWND parent,
                         std::shared_ptr<Package> package)
    : IPage(std::move(languageManager), kTemplate, parent), package(std::move(package)) {
    OnCommand(kAcceptId, BN_CLICKED, &ProductPage::OnAccept);
    OnCommand(kDeclineId, BN_CLICKED, &ProductPage::OnDecline);
    OnNotify(kDisclaimerId, NM_CLICK, &OnLinkClick);
    OnNotify(kDisclaimerId, NM_RETURN, &OnLinkClick);
}

BOOL ProductPage::OnInitDialog() {
    CDialogEx::OnInitDialog();
    BindControl(disclaimer, kDisclaimerId);
    BindControl(picture, kPictureId);
    backgroundBrush.CreateSolidBrush(ConfigurationManager::GetInstance()->backgroundColor);
    picture.SetImage(package->image);
    RegisterTexts();
    UpdateTexts();
    ApplyPackageTexts();
    return TRUE;
}

void ProductPage::RegisterTexts() {
    BindText(kAcceptId, "BUTTON_ACCEPT");
    BindText(kDeclineId, "BUTTON_DECLINE");
    BindText(kDisclaimerId, "PRODUCT_DISCLAIMER");
}

void ProductPage::ApplyPackageTexts() {
    // The addresses come from the service and stand inside href="...": they
    // are escaped so that they cannot add or change anchors.
    CString text = disclaimer.GetWindowText();
    text.Replace(L"[PACKAGE_NAME]", CString(package->dn));
    text.Replace(L"[PACKAGE_PRIVACY_URL]", LinkMarkupAddress(CString(package->cp)));
    text.Replace(L"[PACKAGE_EULA_URL]", LinkMarkupAddress(CString(package->ctu)));
    disclaimer.SetWindowText(text);
}

void ProductPage::OnNavigateToPage() {
    ConfigurationManager::GetInstance()->shownOffers.push_back(package);
}

void ProductPage::OnAccept() {
    ConfigurationManager::GetInstance()->acceptedOffers.push_back(package);
    PressButton(ButtonType::Accept);
}

void ProductPage::OnDecline() {
    package->SendEvent(4);
    PressButton(ButtonType::Decline);
}

HBRUSH ProductPage::OnCtlColor(HDC dc, HWND control, UINT kind) {
    if (control && control == disclaimer.GetSafeHwnd()) {
        ::SetBkMode(dc, TRANSPARENT);
        return backgroundBrush;
    }
    return IPage::OnCtlColor(dc, control, kind);
}
