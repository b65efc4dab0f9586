#pragma once
// config.json of the configuration folder: the settings record, its strict
// loader and the load error.

#include "core/administrator.h"
#include "core/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Three-state setting of --color and of the keys color and user_list.
enum class AutoMode : std::uint8_t { Auto = 0, Always = 1, Never = 2 };

// "auto", "always", "never": exact, case-sensitive.
std::optional<AutoMode> parse_auto_mode(std::string_view name);
std::string_view auto_mode_name(AutoMode mode);

struct TarnwickConfig {
    AutoMode color = AutoMode::Auto;
    std::vector<std::string> admin_users = default_admin_users();
    std::string templates_dir = "templates";  // joined onto the configuration folder
    std::string plugins_dir = "plugins.d";    // kept, not read
    std::string locale_fallback = "en-US";
    std::string console_group = "console";
    AutoMode user_list = AutoMode::Auto;
    std::uint64_t user_list_max = 10;
    std::optional<std::string> locales_dir;  // none: <configuration folder>/locales

    bool operator==(const TarnwickConfig&) const = default;
};

enum class ConfigErrorKind { DirNotFound, FileNotFound, Json, UnknownField, Io };

struct ConfigError {
    ConfigErrorKind kind;
    std::string detail;  // the folder, the file path, the JSON message, the key, or
                         // an Io error's text when it has no errno
    int os_error = 0;    // errno of an Io error
};

// "config dir not found: {}", "config file not found: {}", "JSON parse error: {}",
// "unknown field: {}", "IO error: {}".
std::string display_config_error(const ConfigError& error);

// Reads <config_dir>/config.json. Absent keys take their defaults; an unknown
// key or a value of the wrong type is an error.
Result<TarnwickConfig, ConfigError> load_config(const std::string& config_dir);

// The content of a config.json: a Json or UnknownField error, or the record.
Result<TarnwickConfig, ConfigError> parse_config(std::string_view text);

}  // namespace tarnwick
