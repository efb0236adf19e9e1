#pragma once

#include <windows.h>

#include <commctrl.h>

// Opens the web address of a clicked SysLink item with the shell; an item
// without one (no address, or not http/https) does nothing. The notification result is 0.
LRESULT OnLinkClick(NMHDR* header);
