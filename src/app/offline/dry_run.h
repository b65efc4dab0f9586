#pragma once
// --dry-run: prints the menu a user would see.

#include "core/config.h"

#include <optional>
#include <string>

namespace tarnwick::app {

// Returns 0, or 78 on a configuration, template or locale error.
int run_dry_run(const std::string& config_dir, const std::optional<std::string>& user,
                const std::optional<std::string>& locale, AutoMode color);

}  // namespace tarnwick::app
