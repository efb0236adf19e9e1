#pragma once

#include <windows.h>

#include <commctrl.h>

// Opens the address of a clicked SysLink item with the shell; an item
// without an address does nothing. The notification result is 0.
LRESULT OnLinkClick(NMHDR* header);
