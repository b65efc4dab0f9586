#pragma once
// The action table: every menu action in one row, with the names templates
// may use for it and the named action the access policy checks before the
// session runs it. The template layer parses names from it, the access
// policy reads its capabilities, and the session keeps one handler per row
// (app/session/menu_actions.cpp).
//
// Adding an action: a variant here, one row in kMenuActions, one handler row
// in the session. The static_asserts below and beside the handler table stop
// the build until every row is there.

#include "core/capability.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwick {

// The closed set of things a menu entry can ask the session to do. The
// order is also the numeric value (0 to 9) and the row order of the tables.
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

inline constexpr std::size_t kMenuActionCount = static_cast<std::size_t>(MenuAction::None) + 1;

// An action the access policy knows by name, and the capability it needs.
struct NamedAction {
    std::string_view name;
    Capability required;
};

struct MenuActionRow {
    MenuAction action;
    std::string_view variant;  // "SpawnShell", as the dry run prints it
    // Exact names accepted in templates; unused slots are empty.
    std::array<std::string_view, 3> template_names;
    // Checked before the session runs the action. Quit, Back and None are no
    // named actions: they leave the menu, show it again or only report.
    std::optional<NamedAction> named;
};

// clang-format off
inline constexpr std::array<MenuActionRow, kMenuActionCount> kMenuActions{{
    // action                   variant          template names                       named action, capability
    {MenuAction::SpawnShell,    "SpawnShell",    {"shell", "spawn_shell"},            NamedAction{"spawn_shell", Capability::Session}},
    {MenuAction::SystemInfo,    "SystemInfo",    {"sysinfo", "system_info"},          NamedAction{"system_info", Capability::Session}},
    {MenuAction::NetworkStatus, "NetworkStatus", {"network", "network_status"},       NamedAction{"network_status", Capability::Session}},
    {MenuAction::PowerMenu,     "PowerMenu",     {"power", "power_menu", "session"},  NamedAction{"power_menu", Capability::Session}},
    {MenuAction::PowerOff,      "PowerOff",      {"power_off", "shutdown"},           NamedAction{"power_off", Capability::Power}},
    {MenuAction::Reboot,        "Reboot",        {"reboot"},                          NamedAction{"reboot", Capability::Power}},
    {MenuAction::Quit,          "Quit",          {"quit"},                            std::nullopt},
    {MenuAction::Back,          "Back",          {"back"},                            std::nullopt},
    {MenuAction::Logout,        "Logout",        {"logout"},                          NamedAction{"logout", Capability::Session}},
    {MenuAction::None,          "None",          {},                                  std::nullopt},
}};
// clang-format on

// Named actions that are no menu entry: the network panel's two writes.
inline constexpr std::array<NamedAction, 2> kPanelActions{{
    {"network_apply", Capability::NetworkWrite},
    {"make_static", Capability::NetworkWrite},
}};

namespace detail {
constexpr bool rows_in_enum_order() {
    for (std::size_t i = 0; i < kMenuActions.size(); ++i) {
        if (static_cast<std::size_t>(kMenuActions[i].action) != i) return false;
    }
    return true;
}
}  // namespace detail
static_assert(detail::rows_in_enum_order(), "one row per MenuAction, in enum order");

// The row index of an action; a value outside the enum counts as None.
constexpr std::size_t menu_action_index(MenuAction action) {
    const auto index = static_cast<std::size_t>(action);
    return index < kMenuActionCount ? index : static_cast<std::size_t>(MenuAction::None);
}

constexpr const MenuActionRow& menu_action_row(MenuAction action) {
    return kMenuActions[menu_action_index(action)];
}

// The capability a named action needs (exact, case-sensitive name); none for
// a name the table does not hold.
std::optional<Capability> named_action_capability(std::string_view name);

}  // namespace tarnwick
