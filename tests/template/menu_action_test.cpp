#include "template/menu/menu_action.h"
#include "template/template_dirs.h"

#include <gtest/gtest.h>

namespace tarnwick::tmpl {
namespace {

TEST(ParseMenuAction, AcceptsEveryAliasExactly) {
    const std::pair<std::string_view, MenuAction> cases[] = {
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
        // No case folding, no trimming, no prefixes.
        {"Shell", MenuAction::None},
        {" shell", MenuAction::None},
        {"shell ", MenuAction::None},
        {"reboo", MenuAction::None},
        {"None", MenuAction::None},
        {"", MenuAction::None},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(tmpl::parse_menu_action(text), expected) << '"' << text << '"';
    }
}

TEST(ParseMenuAction, VariantsKeepTheirOrderAndNames) {
    EXPECT_EQ(static_cast<int>(MenuAction::SpawnShell), 0);
    EXPECT_EQ(static_cast<int>(MenuAction::None), 9);
    EXPECT_EQ(sizeof(MenuAction), 1u);
    const std::pair<MenuAction, std::string_view> names[] = {
        {MenuAction::SpawnShell, "SpawnShell"},
        {MenuAction::SystemInfo, "SystemInfo"},
        {MenuAction::NetworkStatus, "NetworkStatus"},
        {MenuAction::PowerMenu, "PowerMenu"},
        {MenuAction::PowerOff, "PowerOff"},
        {MenuAction::Reboot, "Reboot"},
        {MenuAction::Quit, "Quit"},
        {MenuAction::Back, "Back"},
        {MenuAction::Logout, "Logout"},
        {MenuAction::None, "None"},
    };
    for (const auto& [action, name] : names) {
        EXPECT_EQ(tmpl::menu_action_name(action), name);
    }
    // A value outside the enum reads as None rather than past the table.
    EXPECT_EQ(tmpl::menu_action_name(static_cast<MenuAction>(200)), "None");
}

TEST(ParseMenuAction, EveryTemplateNameOfTheTableParsesToItsOwnRow) {
    for (const MenuActionRow& row : kMenuActions) {
        for (std::string_view name : row.template_names) {
            if (name.empty()) continue;
            EXPECT_EQ(tmpl::parse_menu_action(name), row.action) << name;
        }
    }
}

TEST(TemplateDirs, ConfigFolderFirstThenInstalledThenSourceTree) {
    const auto dirs = tmpl::template_dirs("/etc/tw");
    EXPECT_EQ(dirs[0], "/etc/tw/templates");
    EXPECT_EQ(dirs[1], "/usr/local/etc/tarnwick/templates");
    EXPECT_EQ(dirs[2], std::string(TARNWICK_SOURCE_DIR) + "/res/templates");
    EXPECT_EQ(tmpl::template_dirs("/etc/tw/")[0], "/etc/tw/templates");
}

}  // namespace
}  // namespace tarnwick::tmpl
