// The player's error type. Its message is the system's own text in Shift-JIS; it is turned into UTF-8
// only where it leaves the player (message boxes, the terminal).
#pragma once

#include <stdexcept>
#include <string>

namespace vobe {

class EVobeError : public std::runtime_error {
public:
    explicit EVobeError(const std::string& sjisMessage) : std::runtime_error(sjisMessage) {}
    // The message as stored: Shift-JIS bytes.
    std::string Message() const { return what(); }
};

// A read past the end of a stream, or a write that could not be completed.
class EStreamError : public EVobeError {
public:
    using EVobeError::EVobeError;
};

} // namespace vobe
