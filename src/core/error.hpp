#pragma once
// The project's one failure type. Messages are UTF-8 (the Japanese texts are
// UTF-8 literals in the sources); game strings inside them are converted
// where the message is made.
#include <stdexcept>
#include <string>

namespace mivo {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Malformed input: the message names the file (or record) and what is wrong.
class FormatError : public Error {
public:
    using Error::Error;
};

}  // namespace mivo
