#pragma once

#include "framework/CWnd.h"

// A push button, check box or radio button of a dialog.
class CButton : public CWnd {
public:
    void Click() { SendMessage(BM_CLICK); }
    int GetCheck() const { return static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};
