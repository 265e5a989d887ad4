#pragma once

#include <stdexcept>
#include <string>

// Root of every failure the game raises. Each subsystem derives its own kind so that
// callers can tell them apart, but the message box only ever needs what().
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// printf-style formatting for the fixed message templates ("Image '%s' not found", ...).
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
