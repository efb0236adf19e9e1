#pragma once

#include "framework/CString.h"

// Whether name is one plain file name that, appended to a folder, names a file
// inside that folder: not empty, no path separator ('\' or '/'), no drive or
// stream colon, not made of dots and spaces only (".", ".." and what Windows
// trims to them), and not a device such as CON, NUL or COM1 (with or without
// an extension). Characters the file system refuses anyway ('?', '*', ...)
// are left for the file system to refuse.
bool IsPlainFileName(const CString& name);
