#pragma once

#include "framework/CString.h"

// Unpacks a ZIP archive into an existing folder with minizip, for systems
// whose shell has no ZIP folders. Entry names are read as UTF-8 when the
// archive marks them so, otherwise in code page 437. Nothing is ever written
// outside folder: an absolute entry name, one with a drive or a ".."
// component, or one naming a device stops the extraction and fails it. True
// when every entry was unpacked and the archive held at least one.
bool ExtractZipWithMinizip(const CString& zip, const CString& folder);
