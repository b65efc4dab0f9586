#pragma once

#include <optional>
#include <string>

namespace tarnwick::app {

// The terminal name used for PAM, the logs and system information: the --tty
// value, else the terminal on standard input, else $TTY, without "/dev/";
// "ttyv0" when none is usable.
std::string tty_label(const std::optional<std::string>& tty_option);

// Pure form of the rule above for given candidates (absent ones skipped).
std::string tty_label_from(const std::optional<std::string>& tty_option,
                           const std::optional<std::string>& stdin_name,
                           const std::optional<std::string>& tty_env);

}  // namespace tarnwick::app
