#pragma once
// Reading the small system files the network configuration reads and
// rewrites (/etc/rc.conf, /etc/resolv.conf).

#include <sys/stat.h>

#include <optional>
#include <string>

#include "core/result.h"

namespace tarnwick::app {

// Larger files are refused: both files hold a few kilobytes.
inline constexpr std::size_t kConfigTextMaxBytes = 1 << 20;

struct ConfigText {
    std::string text;     // valid UTF-8
    struct stat info {};  // of the file read (after following links)
};

// The file's text; nullopt when it does not exist. The error is a
// description: a system error, "not a regular file", or the text for bytes
// that are not UTF-8.
Result<std::optional<ConfigText>, std::string> read_config_text(const std::string& path);

}  // namespace tarnwick::app
