#pragma once
// The exception that abandons an operation. Its text is the message for the user, such as
// "Cannot proceed" or "Loading terminated"; the command that started the operation catches it.
#include <stdexcept>
#include <string>

namespace kinemo {

class OperationAbandoned : public std::runtime_error {
public:
    explicit OperationAbandoned(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace kinemo
