#pragma once

#include "framework/CWnd.h"

// A SysLink control of a dialog: its text carries <a href="..."> anchors, and
// a click reaches the parent as NM_CLICK with the item's address.
class CLinkCtrl : public CWnd {};
