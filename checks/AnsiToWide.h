#pragma once

#include <string>

#include "framework/CString.h"

// Narrow text of the configuration response in the system's ANSI code page
// (not the thread's) as wide text; empty when the conversion fails.
CString AnsiToWide(const std::string& text);
