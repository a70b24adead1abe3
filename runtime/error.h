#pragma once
// Errors raised by the program's components. The application's default error
// report shows their text (what()) in a message box and lets the program go on.

#include <stdexcept>
#include <string>

namespace runtime {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Text that is not a number where a number was expected.
class ConvertError : public Error {
public:
    using Error::Error;
};

// An abstract operation of a base class was called.
class AbstractError : public Error {
public:
    AbstractError() : Error("Abstract Error") {}
};

} // namespace runtime
