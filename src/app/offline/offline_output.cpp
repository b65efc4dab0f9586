#include "app/offline/offline_output.h"

#include <fmt/format.h>

#include <cstdio>

#include "core/text.h"

namespace tarnwick::app {

void print_line(std::string_view line) {
    fmt::print(stdout, "{}\n", line);
    std::fflush(stdout);
}

int print_error_line(std::string_view text) {
    std::fflush(stdout);
    // Errors quote what the files hold: no control character of theirs may
    // act on the operator's terminal. Backslashes stay, as the messages quote
    // them already.
    fmt::print(stderr, "ERROR: {}\n", escape_control_chars(text, Backslash::kKept));
    std::fflush(stderr);
    return kExitConfig;
}

}  // namespace tarnwick::app
