#pragma once

#include "framework/CString.h"

// Creates a new, uniquely named folder (ISVxxxx.tmp) in the user's temporary
// folder and returns its path. Nothing is checked here: callers confirm the
// result with PathIsDirectoryW.
CString CreateWorkFolder();

// The user's Downloads folder; falls back to Documents, then the temporary
// folder, then "C:\".
CString GetDownloadsFolder();
