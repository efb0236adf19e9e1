#include "checks/NumberText.h"

#include <cerrno>
#include <climits>
#include <cwchar>
#include <stdexcept>

uint32_t ParseUnsigned32(const CString& text) {
    const wchar_t* start = text.GetString();
    wchar_t* end = nullptr;
    errno = 0;
    // unsigned long is 32 bits on Windows, so the range is that of stoul there.
    static_assert(sizeof(unsigned long) == 4, "32-bit unsigned long expected");
    const unsigned long value = std::wcstoul(start, &end, 10);
    if (end == start) {
        throw std::invalid_argument("invalid stoul argument");
    }
    if (errno == ERANGE) {
        throw std::out_of_range("stoul argument out of range");
    }
    return static_cast<uint32_t>(value);
}

uint64_t ParseUnsigned64(const CString& text) {
    const wchar_t* start = text.GetString();
    wchar_t* end = nullptr;
    errno = 0;
    const unsigned long long value = std::wcstoull(start, &end, 10);
    if (end == start) {
        throw std::invalid_argument("invalid stoull argument");
    }
    if (errno == ERANGE) {
        throw std::out_of_range("stoull argument out of range");
    }
    return static_cast<uint64_t>(value);
}

float ParseFloat(const CString& text) {
    const wchar_t* start = text.GetString();
    wchar_t* end = nullptr;
    errno = 0;
    const float value = std::wcstof(start, &end);
    if (end == start) {
        throw std::invalid_argument("invalid stof argument");
    }
    if (errno == ERANGE) {
        throw std::out_of_range("stof argument out of range");
    }
    return value;
}
