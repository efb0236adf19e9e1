#pragma once

#include <windows.h>

#include "framework/CString.h"

// Whether the value holds the data of a registry data rule (already lower
// case). A REG_SZ text matches case-insensitively; REG_DWORD and REG_QWORD
// values match the data read as a decimal number, and data that is no number
// throws (see NumberText.h). Other types and unreadable values never match.
bool ValueDataMatches(DWORD type, HKEY key, const CString& name, const CString& data);
