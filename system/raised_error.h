#pragma once
// The error that a failed enumeration raises. It travels up to the window
// procedure's boundary, which reports it and ends the program.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace sys {

class RaisedError : public std::runtime_error {
public:
    RaisedError(int32_t number, std::string source, std::string description)
        : std::runtime_error(description), number_(number), source_(std::move(source)),
          description_(std::move(description)) {}

    int32_t Number() const { return number_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }

private:
    int32_t number_;
    std::string source_;
    std::string description_;
};

} // namespace sys
