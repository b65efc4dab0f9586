#include "app/offline/offline_output.h"

#include <fmt/format.h>

#include <cstdio>

namespace tarnwick::app {

void print_line(std::string_view line) {
    fmt::print(stdout, "{}\n", line);
    std::fflush(stdout);
}

int print_error_line(std::string_view text) {
    std::fflush(stdout);
    fmt::print(stderr, "ERROR: {}\n", text);
    std::fflush(stderr);
    return kExitConfig;
}

}  // namespace tarnwick::app
