#include "template/menu/widget_menu.h"

#include "core/catalog.h"

#include <gtest/gtest.h>

#include "support/widget_builder.h"

namespace tarnwick {
namespace {

using test::widget;

Catalog english() {
    Catalog catalog;
    catalog.messages = {{"action.sysinfo", "System information"},
                        {"action.network", "Network configuration"},
                        {"action.power", "Power & log out"},
                        {"k.shell", "Shell"}};
    return catalog;
}

TEST(CollectMenuItems, VisibleItemsWithActionsInPreOrder) {
    Widget shell = widget("item", "shell", "shell");
    shell.label_key = "k.shell";
    const std::vector<Widget> widgets = {
        widget("menu", "m", "spawn_shell", WidgetCondition::Always,
               {shell, widget("item", "noaction"), widget("submenu", "sub", {}, WidgetCondition::Always,
                                                         {widget("item", "deep", "frobnicate")})}),
        widget("panel", "admin", {}, WidgetCondition::UserIsAdmin, {widget("item", "net", "network")}),
        widget("panel", "never", {}, WidgetCondition::Never, {widget("item", "gone", "reboot")}),
        widget("item", "last", "sysinfo", WidgetCondition::UserIsAdmin),
    };
    std::vector<MenuItem> user;
    collect_menu_items(widgets, english(), false, user);
    EXPECT_EQ(user, (std::vector<MenuItem>{{"shell", "Shell", MenuAction::SpawnShell},
                                           {"deep", "deep", MenuAction::None}}));
    std::vector<MenuItem> admin;
    collect_menu_items(widgets, english(), true, admin);
    EXPECT_EQ(admin, (std::vector<MenuItem>{{"shell", "Shell", MenuAction::SpawnShell},
                                            {"deep", "deep", MenuAction::None},
                                            {"net", "net", MenuAction::NetworkStatus},
                                            {"last", "last", MenuAction::SystemInfo}}));
}

TEST(BuildMenuItems, KeepsThePowerMenuReachableAndPowerActionsOut) {
    const std::vector<MenuItem> builtin = {{"sysinfo", "System information", MenuAction::SystemInfo},
                                           {"network", "Network configuration", MenuAction::NetworkStatus},
                                           {"session", "Power & log out", MenuAction::PowerMenu}};
    const MenuItem power_entry{"session", "Power & log out", MenuAction::PowerMenu};
    struct Case {
        std::vector<Widget> widgets;
        std::vector<MenuItem> expected;
    };
    const Case cases[] = {
        {{}, builtin},
        {{widget("menu", "m", {}, WidgetCondition::Never, {widget("item", "a", "shell")})}, builtin},
        {{widget("item", "off", "power_off"), widget("item", "rb", "reboot"), widget("item", "out", "logout")},
         {power_entry}},
        {{widget("item", "a", "shell"), widget("item", "logout", "sysinfo"), widget("item", "b", "shutdown")},
         {{"a", "a", MenuAction::SpawnShell}, power_entry}},
        {{widget("item", "p1", "power"), widget("item", "x", "shell"), widget("item", "p2", "session")},
         {{"p1", "p1", MenuAction::PowerMenu}, {"x", "x", MenuAction::SpawnShell}, {"p2", "p2", MenuAction::PowerMenu}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(build_menu_items(c.widgets, english(), false), c.expected);
    }
}

}  // namespace
}  // namespace tarnwick
