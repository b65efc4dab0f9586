#pragma once
// The error of every terminal read, write and mode change: the system error number.

#include "core/result.h"

#include <string>

namespace tarnwick::tui {

struct IoError {
    int errnum = 0;
    bool operator==(const IoError&) const = default;
};

// "<strerror text> (os error N)".
std::string display_io_error(const IoError& error);

using IoResult = Result<void, IoError>;

// The current errno as an error value.
Unexpected<IoError> last_io_error();

}  // namespace tarnwick::tui
