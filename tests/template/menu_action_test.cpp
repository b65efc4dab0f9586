#include "template/menu/menu_action.h"
#include "template/template_dirs.h"

#include <gtest/gtest.h>

namespace tarnwick::tmpl {
namespace {

TEST(ParseMenuAction, AcceptsEveryAliasExactly) {
    const std::pair<std::string_view, tmpl::MenuAction> cases[] = {
        {"shell", tmpl::MenuAction::SpawnShell},
        {"spawn_shell", tmpl::MenuAction::SpawnShell},
        {"sysinfo", tmpl::MenuAction::SystemInfo},
        {"system_info", tmpl::MenuAction::SystemInfo},
        {"network", tmpl::MenuAction::NetworkStatus},
        {"network_status", tmpl::MenuAction::NetworkStatus},
        {"power", tmpl::MenuAction::PowerMenu},
        {"power_menu", tmpl::MenuAction::PowerMenu},
        {"session", tmpl::MenuAction::PowerMenu},
        {"power_off", tmpl::MenuAction::PowerOff},
        {"shutdown", tmpl::MenuAction::PowerOff},
        {"reboot", tmpl::MenuAction::Reboot},
        {"quit", tmpl::MenuAction::Quit},
        {"back", tmpl::MenuAction::Back},
        {"logout", tmpl::MenuAction::Logout},
        // No case folding, no trimming, no prefixes.
        {"Shell", tmpl::MenuAction::None},
        {" shell", tmpl::MenuAction::None},
        {"shell ", tmpl::MenuAction::None},
        {"reboo", tmpl::MenuAction::None},
        {"None", tmpl::MenuAction::None},
        {"", tmpl::MenuAction::None},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(tmpl::parse_menu_action(text), expected) << '"' << text << '"';
    }
}

TEST(ParseMenuAction, VariantsKeepTheirOrderAndNames) {
    EXPECT_EQ(static_cast<int>(tmpl::MenuAction::SpawnShell), 0);
    EXPECT_EQ(static_cast<int>(tmpl::MenuAction::None), 9);
    EXPECT_EQ(sizeof(tmpl::MenuAction), 1u);
    const std::pair<tmpl::MenuAction, std::string_view> names[] = {
        {tmpl::MenuAction::SpawnShell, "SpawnShell"},
        {tmpl::MenuAction::SystemInfo, "SystemInfo"},
        {tmpl::MenuAction::NetworkStatus, "NetworkStatus"},
        {tmpl::MenuAction::PowerMenu, "PowerMenu"},
        {tmpl::MenuAction::PowerOff, "PowerOff"},
        {tmpl::MenuAction::Reboot, "Reboot"},
        {tmpl::MenuAction::Quit, "Quit"},
        {tmpl::MenuAction::Back, "Back"},
        {tmpl::MenuAction::Logout, "Logout"},
        {tmpl::MenuAction::None, "None"},
    };
    for (const auto& [action, name] : names) {
        EXPECT_EQ(tmpl::menu_action_name(action), name);
    }
    // A value outside the enum reads as None rather than past the table.
    EXPECT_EQ(tmpl::menu_action_name(static_cast<tmpl::MenuAction>(200)), "None");
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
