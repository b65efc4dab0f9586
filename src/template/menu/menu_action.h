#pragma once
// The closed set of things a menu entry can ask the session to do, and the
// action names that templates use for them.

#include <cstdint>
#include <string_view>

namespace tarnwick::tmpl {

enum class MenuAction : std::uint8_t {
    SpawnShell,
    SystemInfo,
    NetworkStatus,
    PowerMenu,
    PowerOff,
    Reboot,
    Quit,
    Back,
    Logout,
    None,
};

// Exact, case-sensitive match of the whole text; anything unknown is None.
MenuAction parse_menu_action(std::string_view text);

// The variant name ("SpawnShell", "PowerMenu", ...), as the dry run prints it.
std::string_view menu_action_name(MenuAction action);

}  // namespace tarnwick::tmpl
