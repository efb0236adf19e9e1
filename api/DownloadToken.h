#pragma once

#include "framework/CString.h"

// The download token in this executable's file name: the 7 characters after
// the last underscore, before the extension, when they contain a hyphen
// (setup_ab12-cd.exe gives ab12-cd); otherwise empty.
CString GetDownloadToken();

// The same rule applied to a given path.
CString DownloadTokenFromPath(const CString& path);
