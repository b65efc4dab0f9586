#pragma once
// Whole-file reads for configuration and template files.

#include "core/result.h"

#include <string>

namespace tarnwick {

// Reads an open descriptor to its end (it stays open); the error is errno.
Result<std::string, int> read_fd(int fd);

// Reads every byte of the file (opened close-on-exec); the error is errno.
Result<std::string, int> read_file_bytes(const std::string& path);

// Reads the file as UTF-8 text. The error is the system error text
// ("<strerror> (os error N)"), or kInvalidUtf8Text when the bytes are not UTF-8.
Result<std::string, std::string> read_utf8_file(const std::string& path);

inline constexpr const char* kInvalidUtf8Text = "stream did not contain valid UTF-8";

}  // namespace tarnwick
