#pragma once

#include <richedit.h>

#include "framework/CWnd.h"

// A rich edit 1.0 control ("RICHEDIT") of a dialog.
class CRichEditCtrl : public CWnd {
public:
    void SetAutoURLDetect(bool on) { SendMessage(EM_AUTOURLDETECT, on ? TRUE : FALSE); }
};

// Loads the rich edit 1.0 library for the rest of the process, once; dialogs
// with a "RICHEDIT" control fail to load without it.
bool AfxInitRichEdit();
