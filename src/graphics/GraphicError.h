#pragma once

#include <stdexcept>
#include <string>

namespace tallix::graphics {

// Every refusal of a picture loader; what() is the message shown to the user, in UTF-8.
class EGraphicError : public std::runtime_error {
public:
    explicit EGraphicError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace tallix::graphics
