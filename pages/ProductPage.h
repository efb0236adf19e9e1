#pragma once

#include <memory>

#include "controls/CStaticFromImage.h"
#include "framework/CBrush.h"
#include "framework/CLinkCtrl.h"
#include "pages/IPage.h"

class Package;

// One page per eligible offer: its picture and a disclaimer with links to the
// offer's privacy policy and licence. Accept records the offer for
// installation; Decline reports the refusal.
class ProductPage : public IPage {
public:
    static constexpr UINT kTemplate = 105;
    static constexpr int kPictureId = 1023;
    static constexpr int kDisclaimerId = 1042;
    static constexpr int kAcceptId = 1021;
    static constexpr int kDeclineId = 1022;

    ProductPage(std::shared_ptr<LanguageManager> languageManager, HWND parent,
                std::shared_ptr<Package> package);

    void OnNavigateToPage() override;
    CString GetPageName() const override { return L"ProductPage"; }
    const std::shared_ptr<Package>& GetPackage() const { return package; }

protected:
    BOOL OnInitDialog() override;
    void RegisterTexts() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;

private:
    void OnAccept();
    void OnDecline();
    void ApplyPackageTexts();

    CLinkCtrl disclaimer;
    std::shared_ptr<Package> package;
    CStaticFromImage picture;
    CBrush backgroundBrush;
};
