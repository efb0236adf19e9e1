#include "framework/CDialogEx.h"

void CDialogEx::SetBackgroundColor(COLORREF color, bool repaint) {
    backgroundColor = color;
    hasBackground = backgroundBrush.CreateSolidBrush(color);
    if (repaint && HasWindow()) {
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

HBRUSH CDialogEx::OnCtlColor(HDC dc, HWND control, UINT kind) {
    if (!hasBackground) {
        return CDialog::OnCtlColor(dc, control, kind);
    }
    if (kind == CTLCOLOR_DLG) {
        return backgroundBrush;
    }
    if (kind == CTLCOLOR_STATIC || kind == CTLCOLOR_BTN) {
        ::SetBkColor(dc, backgroundColor);
        return backgroundBrush;
    }
    return CDialog::OnCtlColor(dc, control, kind);
}
