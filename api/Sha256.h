#pragma once

#include <string>

// SHA-256 of the bytes of text as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const std::string& bytes);
