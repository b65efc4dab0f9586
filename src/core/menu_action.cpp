#include "core/menu_action.h"

namespace tarnwick {

std::optional<Capability> named_action_capability(std::string_view name) {
    for (const MenuActionRow& row : kMenuActions) {
        if (row.named && row.named->name == name) return row.named->required;
    }
    for (const NamedAction& action : kPanelActions) {
        if (action.name == name) return action.required;
    }
    return std::nullopt;
}

}  // namespace tarnwick
