#pragma once

#include "framework/CBrush.h"
#include "framework/CDialog.h"

// A dialog with a background colour of its own for itself and its static
// controls.
class CDialogEx : public CDialog {
public:
    using CDialog::CDialog;

    void SetBackgroundColor(COLORREF color, bool repaint = true);

protected:
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;

private:
    CBrush backgroundBrush;
    COLORREF backgroundColor = 0;
    bool hasBackground = false;
};
