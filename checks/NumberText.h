#pragma once

#include <cstdint>

#include "framework/CString.h"

// Decimal numbers in rule values and registry texts, read the way the C++
// library's stoul, stoull and stof read them: leading blanks and a sign are
// accepted and reading stops at the first character that does not fit. Text
// without a number throws std::invalid_argument ("invalid stoul argument",
// ...), a number out of range std::out_of_range ("stoul argument out of
// range", ...). These errors end an evaluation run, so their texts are fixed
// here rather than left to the library.
uint32_t ParseUnsigned32(const CString& text);
uint64_t ParseUnsigned64(const CString& text);
float ParseFloat(const CString& text);
