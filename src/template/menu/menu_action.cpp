#include "template/menu/menu_action.h"

namespace tarnwick::tmpl {

MenuAction parse_menu_action(std::string_view text) {
    if (text.empty()) return MenuAction::None;
    for (const MenuActionRow& row : kMenuActions) {
        for (std::string_view name : row.template_names) {
            if (name == text) return row.action;
        }
    }
    return MenuAction::None;
}

std::string_view menu_action_name(MenuAction action) {
    return menu_action_row(action).variant;
}

}  // namespace tarnwick::tmpl
