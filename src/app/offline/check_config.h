#pragma once
// --check-config and --screen-matrix.

#include <optional>
#include <string>

namespace tarnwick::app {

// Both return 0, or 78 on a configuration, template or locale error.
int run_check_config(const std::string& config_dir);
int run_screen_matrix(const std::string& config_dir, const std::optional<std::string>& locale);

}  // namespace tarnwick::app
