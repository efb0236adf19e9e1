#pragma once

#include <windows.h>
#include <shtypes.h>

#include "framework/CString.h"

// A known folder of the current user; empty when the lookup fails.
CString GetKnownFolderPath(REFKNOWNFOLDERID id);

// Creates a new, uniquely named folder (ISVxxxx.tmp) in the user's temporary
// folder and returns its path. Nothing is checked here: callers confirm the
// result with PathIsDirectoryW.
CString CreateWorkFolder();

// The user's Downloads folder; falls back to Documents, then the temporary
// folder, then "C:\".
CString GetDownloadsFolder();
