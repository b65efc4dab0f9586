#pragma once
// The error of a terminal read, write or flush: the errno of the failing call.

#include <string>

namespace tarnwick::tui {

struct IoError {
    int code = 0;
    friend bool operator==(const IoError&, const IoError&) = default;
};

// "<strerror text> (os error N)".
std::string display_io_error(const IoError& error);

}  // namespace tarnwick::tui
