#include "template/menu/widget_menu.h"

#include "core/catalog.h"
#include "template/screen/screen_text.h"

#include <algorithm>

namespace tarnwick::tmpl {

void collect_menu_items(std::span<const Widget> widgets, const Catalog& catalog, bool is_admin,
                        std::vector<MenuItem>& out) {
    for (const auto& widget : widgets) {
        if (!widget_visible(widget, is_admin)) continue;
        if (widget.type == "item" && widget.action) {
            out.push_back(MenuItem{
                widget.id,
                widget.label_key ? translate(catalog, *widget.label_key) : widget.id,
                parse_menu_action(*widget.action),
            });
        }
        collect_menu_items(widget.children, catalog, is_admin, out);
    }
}

std::vector<MenuItem> build_menu_items(std::span<const Widget> widgets, const Catalog& catalog,
                                       bool is_admin) {
    std::vector<MenuItem> items;
    collect_menu_items(widgets, catalog, is_admin, items);
    if (items.empty()) {
        return {
            {"sysinfo", translate(catalog, "action.sysinfo"), MenuAction::SystemInfo},
            {"network", translate(catalog, "action.network"), MenuAction::NetworkStatus},
            {"session", translate(catalog, "action.power"), MenuAction::PowerMenu},
        };
    }
    std::erase_if(items, [](const MenuItem& item) {
        return item.action == MenuAction::PowerOff || item.action == MenuAction::Reboot ||
               item.action == MenuAction::Logout || item.id == "logout";
    });
    const bool has_power_menu = std::any_of(items.begin(), items.end(), [](const MenuItem& item) {
        return item.action == MenuAction::PowerMenu;
    });
    if (!has_power_menu) {
        items.push_back({"session", translate(catalog, "action.power"), MenuAction::PowerMenu});
    }
    return items;
}

}  // namespace tarnwick::tmpl
