#include "template/screen/screen_text.h"
#include "template/screen/default_main_menu.h"

#include "core/catalog.h"

#include <gtest/gtest.h>

#include "support/widget_builder.h"

namespace tarnwick::tmpl {
namespace {

using test::widget;

std::string render(std::vector<tmpl::Widget> widgets, bool admin, const Catalog& catalog = {}) {
    return tmpl::render_screen_text(tmpl::ScreenTemplate{"1.0", "s", "t", std::move(widgets)},
                                    catalog, admin, false);
}

TEST(RenderScreenText, BuiltInMenuWithKeysOnly) {
    EXPECT_EQ(tmpl::render_screen_text(tmpl::default_main_menu(), Catalog{}, false, false),
              "screen: main-menu (menu.main.title)\n"
              "color: 16\n"
              "admin: false\n"
              "- [menu] menu.main action=-\n"
              "  - [item] action.sysinfo action=system_info\n"
              "  - [item] action.network action=network_status\n"
              "  - [item] action.power action=power_menu\n");
}

TEST(RenderScreenText, TranslatesTitleAndLabelsAndNamesColourAndRole) {
    Catalog catalog;
    catalog.fallback_messages = {{"t", "Title"}, {"k", "Label"}};
    tmpl::Widget labelled = widget("item", "a", "x");
    labelled.label_key = std::string("k");
    tmpl::Widget empty_key = widget("info", "b");
    empty_key.label_key = std::string();
    EXPECT_EQ(tmpl::render_screen_text(tmpl::ScreenTemplate{"1.0", "s", "t", {labelled, empty_key}},
                                       catalog, true, true),
              "screen: s (Title)\n"
              "color: never\n"
              "admin: true\n"
              "- [item] Label action=x\n"
              "- [info]  action=-\n");
}

TEST(RenderScreenText, HidesByConditionWithWholeSubtree) {
    const std::vector<tmpl::Widget> widgets = {
        widget("panel", "admin", {}, tmpl::WidgetCondition::UserIsAdmin,
               {widget("item", "inner", "reboot")}),
        widget("panel", "never", {}, tmpl::WidgetCondition::Never, {widget("item", "hidden")}),
        widget("item", "all"),
    };
    EXPECT_EQ(render(widgets, true),
              "screen: s (t)\ncolor: 16\nadmin: true\n"
              "- [panel] admin action=-\n"
              "  - [item] inner action=reboot\n"
              "- [item] all action=-\n");
    EXPECT_EQ(render(widgets, false),
              "screen: s (t)\ncolor: 16\nadmin: false\n- [item] all action=-\n");
}

TEST(RenderScreenText, AddsShellAndShutdownLinesAtTheirIndent) {
    const std::vector<tmpl::Widget> widgets = {
        widget("menu", "a", {}, tmpl::WidgetCondition::Always,
               {widget("menu", "b", {}, tmpl::WidgetCondition::Always,
                       {widget("item", "sh", "spawn_shell"), widget("item", "off", "shutdown")})}),
        widget("item", "po", "power_off"),
        widget("item", "cap", "Shutdown"),
    };
    EXPECT_EQ(render(widgets, false),
              "screen: s (t)\ncolor: 16\nadmin: false\n"
              "- [menu] a action=-\n"
              "  - [menu] b action=-\n"
              "    - [item] sh action=spawn_shell\n"
              "      Shell\n"
              "    - [item] off action=shutdown\n"
              "      Shutdown\n"
              "- [item] po action=power_off\n"
              "  Shutdown\n"
              "- [item] cap action=Shutdown\n");
    EXPECT_EQ(render({}, false), "screen: s (t)\ncolor: 16\nadmin: false\n");
}

}  // namespace
}  // namespace tarnwick::tmpl
