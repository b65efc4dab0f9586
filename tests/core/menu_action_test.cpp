#include "core/menu_action.h"
#include "core/access_policy.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarnwick {
namespace {

TEST(MenuActionTable, NamedActionAndCapabilityOfEveryAction) {
    struct Case {
        MenuAction action;
        std::optional<std::string_view> named;
        Capability required;
    };
    const Case cases[] = {
        {MenuAction::SpawnShell, "spawn_shell", Capability::Session},
        {MenuAction::SystemInfo, "system_info", Capability::Session},
        {MenuAction::NetworkStatus, "network_status", Capability::Session},
        {MenuAction::PowerMenu, "power_menu", Capability::Session},
        {MenuAction::PowerOff, "power_off", Capability::Power},
        {MenuAction::Reboot, "reboot", Capability::Power},
        {MenuAction::Logout, "logout", Capability::Session},
        // Leaving the menu, showing it again and an unknown entry are no
        // named actions.
        {MenuAction::Quit, std::nullopt, Capability::Public},
        {MenuAction::Back, std::nullopt, Capability::Public},
        {MenuAction::None, std::nullopt, Capability::Public},
    };
    for (const auto& c : cases) {
        const auto& named = menu_action_row(c.action).named;
        ASSERT_EQ(named.has_value(), c.named.has_value()) << static_cast<int>(c.action);
        if (!named) continue;
        EXPECT_EQ(named->name, *c.named);
        EXPECT_EQ(named->required, c.required) << named->name;
        EXPECT_EQ(named_action_capability(named->name), c.required) << named->name;
    }
}

TEST(MenuActionTable, PanelActionsAreNamedButNoMenuEntry) {
    for (std::string_view name : {"network_apply", "make_static"}) {
        EXPECT_EQ(named_action_capability(name), Capability::NetworkWrite) << name;
        for (const MenuActionRow& row : kMenuActions) {
            for (std::string_view template_name : row.template_names) {
                EXPECT_NE(template_name, name);
            }
        }
    }
    // Template aliases are no policy names.
    for (std::string_view alias : {"shutdown", "shell", "session", "quit", "back", ""}) {
        EXPECT_EQ(named_action_capability(alias), std::nullopt) << alias;
    }
}

}  // namespace
}  // namespace tarnwick
