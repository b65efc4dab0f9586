#pragma once
// Facts about the machine the program asks the system for directly.

#include <optional>
#include <string>

namespace tarnwick::platform {

// The host name's bytes: those before the first NUL of a zero-filled
// 256-byte buffer (all 256 without one). None when gethostname fails.
std::optional<std::string> host_name_bytes();

// How many processors this process may run on; 1 when that cannot be told.
unsigned available_processors();

}  // namespace tarnwick::platform
