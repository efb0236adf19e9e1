#include "framework/CMFCLinkCtrl.h"

#include "framework/CPaintDC.h"
#include "framework/ShellOpen.h"

CMFCLinkCtrl::CMFCLinkCtrl() {
    OnMessage(WM_PAINT, [this](WPARAM, LPARAM, LRESULT& result) {
        Paint();
        result = 0;
        return true;
    });
    OnMessage(WM_SETCURSOR, [](WPARAM, LPARAM, LRESULT& result) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return true;
    });
    OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM, LRESULT& result) {
        Open();
        result = 0;
        return true;
    });
    OnMessage(WM_NCHITTEST, [](WPARAM, LPARAM, LRESULT& result) {
        result = HTCLIENT;  // statics are transparent to the mouse without SS_NOTIFY
        return true;
    });
    OnMessage(WM_SETTEXT, [this](WPARAM, LPARAM, LRESULT&) {
        Invalidate();
        return false;
    });
}

HFONT CMFCLinkCtrl::LinkFont() {
    if (!underlined.GetSafeHandle()) {
        LOGFONTW description{};
        HFONT base = GetFont();
        if (!base || !::GetObjectW(base, sizeof(description), &description)) {
            ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
        }
        description.lfUnderline = TRUE;
        underlined.CreateFontIndirect(description);
    }
    return underlined;
}

void CMFCLinkCtrl::Paint() {
    CPaintDC dc(m_hWnd);
    RECT client;
    GetClientRect(&client);
    HWND parentWindow = ::GetParent(m_hWnd);
    HBRUSH background = reinterpret_cast<HBRUSH>(
        ::SendMessageW(parentWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.GetSafeHdc()),
                       reinterpret_cast<LPARAM>(m_hWnd)));
    ::FillRect(dc, &client, background ? background : ::GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = ::SelectObject(dc, LinkFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 102, 204));
    CString text = GetWindowText();
    ::DrawTextW(dc, text, text.GetLength(), &client, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, old);
}

void CMFCLinkCtrl::Open() {
    if (!address.IsEmpty()) {
        ShellOpen(address);
    }
}

void CMFCLinkCtrl::SizeToContent() {
    if (!HasWindow()) {
        return;
    }
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, LinkFont());
    CString text = GetWindowText();
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text, text.GetLength(), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, extent.cx + 2, extent.cy + 2,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
}
