#pragma once
// One entry of a menu as the menu screen shows it.

#include "template/menu/menu_action.h"

#include <string>

namespace tarnwick::tmpl {

struct MenuItem {
    std::string id;     // as written in the template (may be empty)
    std::string label;  // already translated
    MenuAction action = MenuAction::None;

    bool operator==(const MenuItem&) const = default;
};

}  // namespace tarnwick::tmpl
