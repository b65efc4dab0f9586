#include "template/menu/menu_action.h"

#include <array>
#include <utility>

namespace tarnwick::tmpl {

MenuAction parse_menu_action(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, MenuAction>, 15> kNames{{
        {"shell", MenuAction::SpawnShell},
        {"spawn_shell", MenuAction::SpawnShell},
        {"sysinfo", MenuAction::SystemInfo},
        {"system_info", MenuAction::SystemInfo},
        {"network", MenuAction::NetworkStatus},
        {"network_status", MenuAction::NetworkStatus},
        {"power", MenuAction::PowerMenu},
        {"power_menu", MenuAction::PowerMenu},
        {"session", MenuAction::PowerMenu},
        {"power_off", MenuAction::PowerOff},
        {"shutdown", MenuAction::PowerOff},
        {"reboot", MenuAction::Reboot},
        {"quit", MenuAction::Quit},
        {"back", MenuAction::Back},
        {"logout", MenuAction::Logout},
    }};
    for (const auto& [name, action] : kNames) {
        if (name == text) return action;
    }
    return MenuAction::None;
}

std::string_view menu_action_name(MenuAction action) {
    switch (action) {
        case MenuAction::SpawnShell:
            return "SpawnShell";
        case MenuAction::SystemInfo:
            return "SystemInfo";
        case MenuAction::NetworkStatus:
            return "NetworkStatus";
        case MenuAction::PowerMenu:
            return "PowerMenu";
        case MenuAction::PowerOff:
            return "PowerOff";
        case MenuAction::Reboot:
            return "Reboot";
        case MenuAction::Quit:
            return "Quit";
        case MenuAction::Back:
            return "Back";
        case MenuAction::Logout:
            return "Logout";
        case MenuAction::None:
            return "None";
    }
    return "None";
}

}  // namespace tarnwick::tmpl
