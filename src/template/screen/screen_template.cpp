#include "template/screen/screen_template.h"

#include <array>

#include <fmt/format.h>

namespace tarnwick::tmpl {

std::string display_screen_template_error(const ScreenTemplateError& error) {
    using Kind = ScreenTemplateError::Kind;
    switch (error.kind) {
        case Kind::Io:
            return fmt::format("IO: {}", error.detail);
        case Kind::Json:
            return fmt::format("JSON: {}", error.detail);
        case Kind::UnsupportedSchemaVersion:
            return fmt::format("unsupported schema version: {}", error.detail);
        case Kind::UnknownWidgetType:
            return fmt::format("unknown widget type: {}", error.detail);
        case Kind::MissingRequiredField:
            return fmt::format("missing required field: {}", error.detail);
    }
    return error.detail;
}

bool is_known_widget_type(std::string_view type) {
    static constexpr std::array<std::string_view, 10> kTypes{
        "menu",    "item",     "info",       "panel",           "submenu",
        "confirm", "dropdown", "navigation", "positioned-item", "layout-container",
    };
    for (const auto known : kTypes) {
        if (known == type) return true;
    }
    return false;
}

Result<void, ScreenTemplateError> validate_widgets(const std::vector<Widget>& widgets) {
    for (const auto& widget : widgets) {
        if (!is_known_widget_type(widget.type)) {
            return fail(
                ScreenTemplateError{ScreenTemplateError::Kind::UnknownWidgetType, widget.type});
        }
        if (widget.id.empty()) {
            return fail(ScreenTemplateError{ScreenTemplateError::Kind::MissingRequiredField, "id"});
        }
        if (auto children = validate_widgets(widget.children); !children) return children;
    }
    return {};
}

Result<void, ScreenTemplateError> validate_screen(const ScreenTemplate& screen) {
    if (screen.schema_version != "1.0") {
        return fail(ScreenTemplateError{ScreenTemplateError::Kind::UnsupportedSchemaVersion,
                                        screen.schema_version});
    }
    if (screen.screen_id.empty()) {
        return fail(
            ScreenTemplateError{ScreenTemplateError::Kind::MissingRequiredField, "screen_id"});
    }
    return validate_widgets(screen.widgets);
}

}  // namespace tarnwick::tmpl
