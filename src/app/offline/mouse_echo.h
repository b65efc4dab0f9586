#pragma once
// --mouse-echo: records decoded mouse events in a file.

#include <cstdint>
#include <string>

namespace tarnwick::app {

// Returns 0, or 71 on an input/output error.
int run_mouse_echo(const std::string& path, std::uint64_t max);

}  // namespace tarnwick::app
