#include "framework/CDialog.h"

namespace {
// Messages whose dialog-procedure result is returned as is, not through
// DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
           message == WM_QUERYDRAGICON || message == WM_INITDIALOG || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM;
}
}  // namespace

CDialog::~CDialog() {
    if (HasWindow()) {
        HWND window = m_hWnd;
        SetWindowLongPtrW(window, DWLP_USER, 0);
        Detach();
        ::DestroyWindow(window);
    }
}

INT_PTR CDialog::DoModal() {
    modal = true;
    endResult = -1;
    INT_PTR result =
        ::DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent,
                          &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

bool CDialog::Create(HWND parentWindow) {
    modal = false;
    endResult = -1;
    parent = parentWindow;
    HWND window =
        ::CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parentWindow,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    // A dialog that ended during its initialisation stays hidden, although
    // its template asks for a visible window.
    if (window && endResult != -1) {
        ::ShowWindow(window, SW_HIDE);
    }
    return window != nullptr;
}

void CDialog::EndDialog(int result) {
    endResult = result;
    if (modal) {
        ::EndDialog(m_hWnd, result);
    } else if (HasWindow()) {
        ShowWindow(SW_HIDE);
    }
}

void CDialog::UpdateData(bool saveAndValidate) {
    DoDataExchange(saveAndValidate);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) {
    return nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog* self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->m_hWnd = window;
        return self->OnInitDialog();
    }
    CDialog* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        return reinterpret_cast<INT_PTR>(self->OnCtlColor(reinterpret_cast<HDC>(wParam),
                                                          reinterpret_cast<HWND>(lParam),
                                                          message - WM_CTLCOLORMSGBOX));
    }
    LRESULT result = 0;
    if (!self->Dispatch(message, wParam, lParam, result)) {
        return FALSE;
    }
    if (ReturnsDirectly(message)) {
        return static_cast<INT_PTR>(result);
    }
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}
