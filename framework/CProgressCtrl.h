#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/CWnd.h"

// A progress bar of a dialog, smooth or marquee.
class CProgressCtrl : public CWnd {
public:
    void SetRange(int lower, int upper) { SendMessage(PBM_SETRANGE32, lower, upper); }
    int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, position)); }
    void SetMarquee(bool on, int intervalMs) { SendMessage(PBM_SETMARQUEE, on, intervalMs); }
};
