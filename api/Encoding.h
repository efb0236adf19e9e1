#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/CString.h"

// Writes bytes, read as one unsigned big-endian number, in base 62 with the
// alphabet 0-9a-zA-Z; leading zero bytes do not show. Throws
// std::runtime_error("Non-zero carry") if the digit buffer overflows, and
// std::length_error for more than 1024 significant bytes (the conversion is
// quadratic).
std::string Base62Encode(const std::string& bytes);

// The affiliate number for a two-letter upper-case country code; "91082" for
// every code the table lacks.
std::string AffiliateForCountry(const std::string& countryCode);

// UTF-8 to UTF-16. Invalid sequences become the replacement character; throws
// std::runtime_error when the platform conversion fails.
std::wstring Utf8ToWide(const std::string& utf8);

// Whether an address is complete rather than a path on the file host: any
// address with an http(s) scheme (a host with or without a dot, an optional
// port, a path), or, without a scheme, a host name with at least one dot and
// an optional path.
bool IsValidUrl(const CString& url);

// Splits a dotted version text such as 10.2.3 into numbers; empty pieces are
// skipped, each piece is read as wcstol does in base 10.
std::vector<int32_t> ParseVersion(const CString& version);
