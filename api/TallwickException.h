#pragma once

#include <stdexcept>
#include <string>

// Transport and configuration failures of the service client.
class TallwickException : public std::runtime_error {
public:
    explicit TallwickException(const std::string& message = std::string())
        : std::runtime_error(message) {}
};
