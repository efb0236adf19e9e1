#pragma once

#include <windows.h>

#include "framework/CString.h"

// The transfer engines fail by throwing std::runtime_error with a fixed
// English text; the text travels in the thread's ANSI code page and is turned
// back into wide text when the engine composes its result.

[[noreturn]] void ThrowTransferError(const CString& text);

// format holds "%d" for the error code and "%s" for the system's text of it
// (as FormatSystemError gives it).
[[noreturn]] void ThrowSystemError(const wchar_t* format, DWORD code);

// The text of a caught exception as wide text; std::bad_alloc reads
// "Out of memory.".
CString TransferErrorText(const std::exception& error);
