#pragma once

#include "framework/CDialogEx.h"

// The about box, reached through the system menu.
class CAboutDlg : public CDialogEx {
public:
    static constexpr UINT kTemplate = 100;

    explicit CAboutDlg(HWND parent);

protected:
    BOOL OnInitDialog() override;
};
