#pragma once

#include "framework/CFont.h"
#include "framework/CWnd.h"

// A hyperlink drawn in place of a static control: blue underlined text with a
// hand cursor that opens its address with the shell when clicked.
class CMFCLinkCtrl : public CWnd {
public:
    CMFCLinkCtrl();

    bool Bind(HWND control) override { return SubclassWindow(control); }
    void SetURL(const wchar_t* url) { address = url ? url : L""; }
    const CString& GetURL() const { return address; }
    // Resizes the control to the extent of its text in its font.
    void SizeToContent();

private:
    void Paint();
    void Open();
    HFONT LinkFont();

    CString address;
    CFont underlined;
};
