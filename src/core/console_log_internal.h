#pragma once
// Internal to the console log and its tests. The product always writes
// /var/log/tarnwick-console.log; tests point the process-wide file at a
// scratch path instead, so they never touch the host's /var/log.

#include <string>

namespace tarnwick::console_log_internal {

// The file the process-wide log functions use from now on.
void set_console_log_path(std::string path);
std::string console_log_path();

}  // namespace tarnwick::console_log_internal
