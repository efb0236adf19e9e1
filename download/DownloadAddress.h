#pragma once

#include "framework/CString.h"

// The address a download requests for an address from the configuration: the
// text itself when it is a full address (IsValidUrl), otherwise the file base
// address followed by the text (files/setup.exe is a file on the file host).
CString FullDownloadUrl(const CString& address);
