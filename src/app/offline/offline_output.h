#pragma once
// Output of the offline modes: result lines on stdout, one "ERROR: …" line on
// stderr, each written out at once.

#include <string_view>

namespace tarnwick::app {

inline constexpr int kExitConfig = 78;  // EX_CONFIG

void print_line(std::string_view line);

// Prints "ERROR: {text}" on stderr and returns kExitConfig.
int print_error_line(std::string_view text);

}  // namespace tarnwick::app
