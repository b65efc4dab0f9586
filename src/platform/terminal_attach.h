#pragma once
// Makes a console terminal the process's standard streams and controlling
// terminal when it was started without one.

#include <string>

#include "core/result.h"

namespace tarnwick::platform {

// Tries the terminal path, then /dev/ttyv0, /dev/console and /dev/tty.
// A candidate that does not exist, or that opens but is no terminal, is
// skipped; one that exists but cannot be opened ends the attach with
// "open <path>: <system error>".
Result<void, std::string> attach_console_tty(const std::string& terminal_path);

// Name of the terminal on descriptor 0 as ttyname_r gives it (absent on
// failure or when the name is not valid UTF-8).
std::string terminal_name_of_stdin(bool& present);

}  // namespace tarnwick::platform
