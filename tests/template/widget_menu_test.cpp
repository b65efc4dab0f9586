#include "template/menu/widget_menu.h"

#include "core/catalog.h"

#include <gtest/gtest.h>

#include "support/widget_builder.h"

namespace tarnwick::tmpl {
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
    tmpl::Widget shell = widget("item", "shell", "shell");
    shell.label_key = "k.shell";
    const std::vector<tmpl::Widget> widgets = {
        widget("menu", "m", "spawn_shell", tmpl::WidgetCondition::Always,
               {shell, widget("item", "noaction"),
                widget("submenu", "sub", {}, tmpl::WidgetCondition::Always,
                       {widget("item", "deep", "frobnicate")})}),
        widget("panel", "admin", {}, tmpl::WidgetCondition::UserIsAdmin,
               {widget("item", "net", "network")}),
        widget("panel", "never", {}, tmpl::WidgetCondition::Never,
               {widget("item", "gone", "reboot")}),
        widget("item", "last", "sysinfo", tmpl::WidgetCondition::UserIsAdmin),
    };
    std::vector<tmpl::MenuItem> user;
    tmpl::collect_menu_items(widgets, english(), false, user);
    EXPECT_EQ(user, (std::vector<tmpl::MenuItem>{{"shell", "Shell", MenuAction::SpawnShell},
                                                 {"deep", "deep", MenuAction::None}}));
    std::vector<tmpl::MenuItem> admin;
    tmpl::collect_menu_items(widgets, english(), true, admin);
    EXPECT_EQ(admin, (std::vector<tmpl::MenuItem>{{"shell", "Shell", MenuAction::SpawnShell},
                                                  {"deep", "deep", MenuAction::None},
                                                  {"net", "net", MenuAction::NetworkStatus},
                                                  {"last", "last", MenuAction::SystemInfo}}));
}

TEST(BuildMenuItems, KeepsThePowerMenuReachableAndPowerActionsOut) {
    const std::vector<tmpl::MenuItem> builtin = {
        {"sysinfo", "System information", MenuAction::SystemInfo},
        {"network", "Network configuration", MenuAction::NetworkStatus},
        {"session", "Power & log out", MenuAction::PowerMenu}};
    const tmpl::MenuItem power_entry{"session", "Power & log out", MenuAction::PowerMenu};
    struct Case {
        std::vector<tmpl::Widget> widgets;
        std::vector<tmpl::MenuItem> expected;
    };
    const Case cases[] = {
        {{}, builtin},
        {{widget("menu", "m", {}, tmpl::WidgetCondition::Never, {widget("item", "a", "shell")})},
         builtin},
        {{widget("item", "off", "power_off"), widget("item", "rb", "reboot"),
          widget("item", "out", "logout")},
         {power_entry}},
        {{widget("item", "a", "shell"), widget("item", "logout", "sysinfo"),
          widget("item", "b", "shutdown")},
         {{"a", "a", MenuAction::SpawnShell}, power_entry}},
        {{widget("item", "p1", "power"), widget("item", "x", "shell"),
          widget("item", "p2", "session")},
         {{"p1", "p1", MenuAction::PowerMenu},
          {"x", "x", MenuAction::SpawnShell},
          {"p2", "p2", MenuAction::PowerMenu}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tmpl::build_menu_items(c.widgets, english(), false), c.expected);
    }
}

}  // namespace
}  // namespace tarnwick::tmpl
