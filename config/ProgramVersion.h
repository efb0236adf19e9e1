#pragma once

#include <windows.h>

#include "framework/CString.h"

// The file version of a module's own version resource as four decimal numbers
// joined by dots, such as 3.0.11.0; empty when the resource is missing or
// unreadable.
CString ReadProgramVersion(HMODULE module);
