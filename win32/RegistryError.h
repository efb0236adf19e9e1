#pragma once

#include <windows.h>

#include <stdexcept>

namespace win32 {

// A failing registry call: the message names the operation, Code() is the
// status the call returned.
class RegistryError : public std::runtime_error {
public:
    RegistryError(const char* message, LONG code) : std::runtime_error(message), code(code) {}
    LONG Code() const { return code; }

private:
    LONG code;
};

}  // namespace win32
