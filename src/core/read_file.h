#pragma once
// Reading configuration-side files whole: regular files only, never blocking
// on a FIFO or a device, and never more than a given number of bytes.

#include "core/result.h"

#include <cstddef>
#include <string>

namespace tarnwick {

// The cap for the files the configuration is made of: config.json, message
// files and locale.toml, JSON screen templates, TWML pages and their imports,
// welcome texts. Real ones take a few kilobytes; a mebibyte is generous and
// still keeps a mistaken or hostile file from filling memory.
inline constexpr std::size_t kMaxConfigFileBytes = std::size_t{1} << 20;

struct ReadFileError {
    enum class Kind {
        System,       // open, fstat or read failed with `os_error`
        Directory,    // the path names a directory
        NotRegular,   // a FIFO, a device or a socket
        TooLarge,     // more than `max_bytes`
        InvalidUtf8,  // text was asked for and the bytes are not UTF-8
    };
    Kind kind = Kind::System;
    int os_error = 0;
    std::size_t max_bytes = 0;

    bool operator==(const ReadFileError&) const = default;
};

// The text for callers that report a read failure as a system error:
// "<description> (os error N)", EISDIR's for a directory and EINVAL's for any
// other file that is not regular, "file is larger than N bytes", and
// kInvalidUtf8Text. Callers with texts of their own build them from the kind.
std::string display_read_file_error(const ReadFileError& error);

// The text of a read error for bytes that are not UTF-8.
inline constexpr const char* kInvalidUtf8Text = "stream did not contain valid UTF-8";

// Whether read_regular_file_at follows a symbolic link named by `name`.
enum class FinalLink { Follow, Refuse };

// Opens `name` relative to the folder `dir_fd` (AT_FDCWD: the working
// folder) close-on-exec, without blocking and without taking a controlling
// terminal, and reads it to its end when it is a regular file of at most
// `max_bytes` bytes. Nothing is read from any other kind of file.
Result<std::string, ReadFileError> read_regular_file_at(int dir_fd, const std::string& name,
                                                        std::size_t max_bytes, FinalLink link);

// The same for a path, following symbolic links.
Result<std::string, ReadFileError> read_regular_file(const std::string& path,
                                                     std::size_t max_bytes);

// A successful read whose bytes are not UTF-8 becomes InvalidUtf8.
Result<std::string, ReadFileError> require_utf8(Result<std::string, ReadFileError> read);

// read_regular_file of UTF-8 text.
Result<std::string, ReadFileError> read_text_file(const std::string& path, std::size_t max_bytes);

}  // namespace tarnwick
