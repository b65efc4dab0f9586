#include "core/config.h"

#include "core/json/messages.h"
#include "core/json/parser.h"
#include "core/read_file.h"
#include "core/text.h"

#include <fmt/format.h>

#include <sys/stat.h>

#include <array>
#include <map>

namespace tarnwick {
namespace {

using json::Kind;
using json::Value;

constexpr std::array<std::string_view, 9> kKeys = {
    "color",         "admin_users", "templates_dir", "plugins_dir", "locale_fallback",
    "console_group", "user_list",   "user_list_max", "locales_dir",
};

// Conversion failures carry the bare message (the tree has no positions to
// offer a mapping error, as a generic JSON value does not either).
using Conversion = Result<void, std::string>;

// An object as a generic tree sees it: keys ordered bytewise, a later
// duplicate replacing an earlier one.
std::map<std::string, const Value*> as_map(const Value& object) {
    std::map<std::string, const Value*> map;
    for (const auto& m : object.members) map.insert_or_assign(m.key, &m.value);
    return map;
}

std::string type_error(const Value& v, std::string_view expected) {
    return json::invalid_type(json::describe_found(v), expected);
}

Conversion to_auto_mode(const Value& v, AutoMode& out) {
    const auto unknown = [](std::string_view name) {
        return json::unknown_variant(name, {"auto", "always", "never"});
    };
    if (v.kind == Kind::String) {
        const auto mode = parse_auto_mode(v.string);
        if (!mode) return fail(unknown(v.string));
        out = *mode;
        return {};
    }
    if (v.kind == Kind::Object) {
        const auto map = as_map(v);
        if (map.size() != 1) return fail(json::invalid_value("map", "map with a single key"));
        const auto& [name, value] = *map.begin();
        const auto mode = parse_auto_mode(name);
        if (!mode) return fail(unknown(name));
        if (!value->is_null()) return fail(type_error(*value, "unit"));
        out = *mode;
        return {};
    }
    return fail(type_error(v, "string or map"));
}

Conversion to_string(const Value& v, std::string_view expected, std::string& out) {
    if (v.kind != Kind::String) return fail(type_error(v, expected));
    out = v.string;
    return {};
}

Conversion to_string_list(const Value& v, std::vector<std::string>& out) {
    if (v.kind != Kind::Array) return fail(type_error(v, "a sequence"));
    std::vector<std::string> list;
    for (const Value& item : v.items) {
        if (item.kind != Kind::String) return fail(type_error(item, "a string"));
        list.push_back(item.string);
    }
    out = std::move(list);
    return {};
}

Conversion to_usize(const Value& v, std::uint64_t& out) {
    if (v.kind == Kind::Uint) {
        out = v.uint_value;
        return {};
    }
    if (v.kind == Kind::Int) return fail(json::invalid_value(json::describe_found(v), "usize"));
    return fail(type_error(v, "usize"));
}

Conversion to_optional_path(const Value& v, std::optional<std::string>& out) {
    if (v.is_null()) {
        out.reset();
        return {};
    }
    if (v.kind != Kind::String) return fail(type_error(v, "path string"));
    out = v.string;
    return {};
}

// Field `index` in declaration order.
Conversion convert_field(std::size_t index, const Value& v, TarnwickConfig& c) {
    switch (index) {
        case 0:
            return to_auto_mode(v, c.color);
        case 1:
            return to_string_list(v, c.admin_users);
        case 2:
            return to_string(v, "path string", c.templates_dir);
        case 3:
            return to_string(v, "path string", c.plugins_dir);
        case 4:
            return to_string(v, "a string", c.locale_fallback);
        case 5:
            return to_string(v, "a string", c.console_group);
        case 6:
            return to_auto_mode(v, c.user_list);
        case 7:
            return to_usize(v, c.user_list_max);
        default:
            return to_optional_path(v, c.locales_dir);
    }
}

std::optional<std::size_t> key_index(std::string_view key) {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i] == key) return i;
    }
    return std::nullopt;
}

Result<TarnwickConfig, ConfigError> map_config(const Value& root) {
    TarnwickConfig config;
    const auto json_error = [](std::string message) {
        return ConfigError{ConfigErrorKind::Json, std::move(message)};
    };
    if (root.kind == Kind::Object) {
        const auto map = as_map(root);
        for (const auto& [key, value] : map) {
            if (!key_index(key)) return fail(ConfigError{ConfigErrorKind::UnknownField, key});
        }
        for (const auto& [key, value] : map) {
            auto converted = convert_field(*key_index(key), *value, config);
            if (!converted) return fail(json_error(std::move(converted.error())));
        }
        return config;
    }
    if (root.kind == Kind::Array) {
        const std::size_t n = std::min(root.items.size(), kKeys.size());
        for (std::size_t i = 0; i < n; ++i) {
            auto converted = convert_field(i, root.items[i], config);
            if (!converted) return fail(json_error(std::move(converted.error())));
        }
        if (root.items.size() > kKeys.size()) {
            return fail(
                json_error(json::invalid_length(root.items.size(), "fewer elements in array")));
        }
        return config;
    }
    return fail(json_error(type_error(root, "struct TarnwickConfig")));
}

}  // namespace

std::optional<AutoMode> parse_auto_mode(std::string_view name) {
    if (name == "auto") return AutoMode::Auto;
    if (name == "always") return AutoMode::Always;
    if (name == "never") return AutoMode::Never;
    return std::nullopt;
}

std::string_view auto_mode_name(AutoMode mode) {
    switch (mode) {
        case AutoMode::Always:
            return "always";
        case AutoMode::Never:
            return "never";
        case AutoMode::Auto:
            break;
    }
    return "auto";
}

std::string display_config_error(const ConfigError& error) {
    switch (error.kind) {
        case ConfigErrorKind::DirNotFound:
            return "config dir not found: " + decode_lossy(error.detail);
        case ConfigErrorKind::FileNotFound:
            return "config file not found: " + decode_lossy(error.detail);
        case ConfigErrorKind::Json:
            return "JSON parse error: " + error.detail;
        case ConfigErrorKind::UnknownField:
            return "unknown field: " + error.detail;
        case ConfigErrorKind::Io:
            return "IO error: " +
                   (error.os_error != 0 ? system_error_text(error.os_error) : error.detail);
    }
    return {};
}

Result<TarnwickConfig, ConfigError> load_config(const std::string& config_dir) {
    struct stat st {};
    if (::stat(config_dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return fail(ConfigError{ConfigErrorKind::DirNotFound, config_dir});
    }
    const std::string path = join_path(config_dir, "config.json");
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return fail(ConfigError{ConfigErrorKind::FileNotFound, path});
    }
    // Read without blocking and only when regular, so a FIFO or a device
    // swapped in after the check cannot hang the start.
    auto bytes = read_regular_file(path, kMaxConfigFileBytes);
    if (!bytes) {
        const ReadFileError& error = bytes.error();
        switch (error.kind) {
            case ReadFileError::Kind::System:
                return fail(ConfigError{ConfigErrorKind::Io, {}, error.os_error});
            case ReadFileError::Kind::Directory:
            case ReadFileError::Kind::NotRegular:
                return fail(ConfigError{ConfigErrorKind::FileNotFound, path});
            case ReadFileError::Kind::TooLarge:
            case ReadFileError::Kind::InvalidUtf8:
                break;
        }
        return fail(ConfigError{ConfigErrorKind::Io, display_read_file_error(error)});
    }

    return parse_config(*bytes);
}

Result<TarnwickConfig, ConfigError> parse_config(std::string_view text) {
    const auto tree = json::parse(text);
    if (!tree)
        return fail(ConfigError{ConfigErrorKind::Json, json::display_parse_error(tree.error())});
    return map_config(*tree);
}

}  // namespace tarnwick
