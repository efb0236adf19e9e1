#include "pages/ErrorPage.h"

ErrorPage::ErrorPage(std::shared_ptr<LanguageManager> manager, HWND parent)
    : IPage(std::move(manager), kTemplate, parent) {
    OnCommand(kCloseId, BN_CLICKED, &ErrorPage::OnCloseButton);
}

BOOL ErrorPage::OnInitDialog() {
    BindControl(pageImage, 1016);
    CDialogEx::OnInitDialog();
    pageImage.LoadFromResource(103, L"IMAGE_BLOB3");
    RegisterTexts();
    UpdateTexts();
    return TRUE;
}

void ErrorPage::DoDataExchange(bool saveAndValidate) {
    const std::pair<int, CString*> fields[] = {{1036, &title}, {1037, &text}};
    for (const auto& [id, field] : fields) {
        HWND control = GetDlgItem(id);
        if (!control) {
            continue;
        }
        if (saveAndValidate) {
            CWnd wrapper;
            wrapper.Attach(control);
            *field = wrapper.GetWindowText();
            wrapper.Detach();
        } else {
            ::SetWindowTextW(control, *field);
        }
    }
}
