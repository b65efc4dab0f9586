#pragma once
// Reading an already opened file to its end.

#include "core/result.h"

#include <string>

namespace tarnwick {

// Reads the descriptor to its end (it stays open); the error is errno.
Result<std::string, int> read_fd(int fd);

// The text of a read error for bytes that are not UTF-8.
inline constexpr const char* kInvalidUtf8Text = "stream did not contain valid UTF-8";

}  // namespace tarnwick
