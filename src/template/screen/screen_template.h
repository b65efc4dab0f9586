#pragma once
// JSON screen templates: a screen id, a title key and a tree of widgets. The
// session takes its fallback menu from them and the dry run prints them.

#include "core/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tmpl {

enum class WidgetCondition : std::uint8_t { Always, UserIsAdmin, Never };

struct Position {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::optional<std::uint16_t> width;
    std::optional<std::uint16_t> height;

    bool operator==(const Position&) const = default;
};

struct Widget {
    std::string type;
    std::string id;
    std::optional<std::string> label_key;
    std::optional<Position> position;
    std::vector<Widget> children;
    std::optional<std::string> action;
    WidgetCondition condition = WidgetCondition::Always;

    bool operator==(const Widget&) const = default;
};

struct ScreenTemplate {
    std::string schema_version;
    std::string screen_id;
    std::string title_key;
    std::vector<Widget> widgets;

    bool operator==(const ScreenTemplate&) const = default;
};

struct ScreenTemplateError {
    enum class Kind : std::uint8_t {
        Io,                        // detail: the system error's text
        Json,                      // detail: the parser's message with its position
        UnsupportedSchemaVersion,  // detail: the version found
        UnknownWidgetType,         // detail: the type found
        MissingRequiredField,      // detail: "screen_id" or "id"
    };
    Kind kind = Kind::Io;
    std::string detail;

    bool operator==(const ScreenTemplateError&) const = default;
};

std::string display_screen_template_error(const ScreenTemplateError& error);

// The ten widget types validation accepts (case-sensitive).
bool is_known_widget_type(std::string_view type);

Result<void, ScreenTemplateError> validate_screen(const ScreenTemplate& screen);
Result<void, ScreenTemplateError> validate_widgets(const std::vector<Widget>& widgets);

// Parses one template file's text (map or sequence form).
Result<ScreenTemplate, ScreenTemplateError> parse_screen_template(std::string_view text);

// Every *.json file of the folder in directory order, each parsed and
// validated; the first failure ends the load. A missing folder gives no
// templates.
Result<std::vector<ScreenTemplate>, ScreenTemplateError> load_screen_dir(const std::string& folder);

}  // namespace tarnwick::tmpl
