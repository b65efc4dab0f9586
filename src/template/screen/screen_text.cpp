#include "template/screen/screen_text.h"

#include "core/catalog.h"

#include <fmt/format.h>

namespace tarnwick::tmpl {

bool widget_visible(const Widget& widget, bool viewer_is_admin) {
    switch (widget.condition) {
        case WidgetCondition::Always:
            return true;
        case WidgetCondition::UserIsAdmin:
            return viewer_is_admin;
        case WidgetCondition::Never:
            return false;
    }
    return false;
}

std::string render_screen_text(const ScreenTemplate& screen, const Catalog& catalog,
                               bool viewer_is_admin, bool monochrome) {
    std::string out =
        fmt::format("screen: {} ({})\n", screen.screen_id, translate(catalog, screen.title_key));
    out += fmt::format("color: {}\n", monochrome ? "never" : "16");
    out += fmt::format("admin: {}\n", viewer_is_admin ? "true" : "false");
    print_widget_tree(out, screen.widgets, catalog, viewer_is_admin, 0);
    return out;
}

void print_widget_tree(std::string& out, const std::vector<Widget>& widgets, const Catalog& catalog,
                       bool viewer_is_admin, unsigned depth) {
    for (const auto& widget : widgets) {
        if (!widget_visible(widget, viewer_is_admin)) continue;
        const std::string indent(std::size_t{depth} * 2, ' ');
        const std::string label =
            widget.label_key ? translate(catalog, *widget.label_key) : widget.id;
        out +=
            fmt::format("{}- [{}] {} action={}\n", indent, widget.type, label,
                        widget.action ? std::string_view(*widget.action) : std::string_view("-"));
        if (widget.action == "spawn_shell") {
            out += fmt::format("{}  Shell\n", indent);
        } else if (widget.action == "power_off" || widget.action == "shutdown") {
            out += fmt::format("{}  Shutdown\n", indent);
        }
        print_widget_tree(out, widget.children, catalog, viewer_is_admin, depth + 1);
    }
}

}  // namespace tarnwick::tmpl
