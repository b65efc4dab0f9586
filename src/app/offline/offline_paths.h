#pragma once
// The folders the offline modes read, worked out from the configuration.

#include "core/config.h"
#include "core/text.h"

#include <string>
#include <string_view>

namespace tarnwick::app {

// config_dir joined with templates_dir (an absolute templates_dir stands alone).
inline std::string configured_templates_dir(const TarnwickConfig& config,
                                            std::string_view config_dir) {
    return join_path(config_dir, config.templates_dir);
}

// locales_dir as configured, else <config_dir>/locales.
inline std::string configured_locales_dir(const TarnwickConfig& config,
                                          std::string_view config_dir) {
    return config.locales_dir ? *config.locales_dir : join_path(config_dir, "locales");
}

}  // namespace tarnwick::app
