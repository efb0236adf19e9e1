#pragma once

#include "framework/CString.h"

// text lower-cased character by character with the C library's towlower, the
// same conversion the registry helpers apply to the sub-key names they list,
// so that rule paths and listed names compare alike.
CString LowerCase(const CString& text);
