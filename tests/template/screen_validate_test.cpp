#include "template/screen/default_main_menu.h"
#include "template/screen/screen_template.h"

#include <gtest/gtest.h>

namespace tarnwick::tmpl {
namespace {

tmpl::Widget widget(std::string type, std::string id, std::vector<tmpl::Widget> children = {}) {
    tmpl::Widget w;
    w.type = std::move(type);
    w.id = std::move(id);
    w.children = std::move(children);
    return w;
}

std::string validation_text(const tmpl::ScreenTemplate& screen) {
    auto result = tmpl::validate_screen(screen);
    return result ? "ok" : tmpl::display_screen_template_error(result.error());
}

TEST(ValidateScreen, ChecksVersionThenScreenIdThenWidgetsDepthFirst) {
    struct Case {
        tmpl::ScreenTemplate screen;
        std::string expected;
    };
    const Case cases[] = {
        {{"1.0", "s", "t", {}}, "ok"},
        {{"1.1", "", "t", {widget("Menu", "")}}, "unsupported schema version: 1.1"},
        {{"1.0", "", "t", {widget("Menu", "")}}, "missing required field: screen_id"},
        {{"1.0", "s", "t", {widget("Menu", "m")}}, "unknown widget type: Menu"},
        {{"1.0", "s", "t", {widget("menu", "")}}, "missing required field: id"},
        // Pre-order: the nested child's fault is found before its later sibling's.
        {{"1.0", "s", "t", {widget("menu", "m", {widget("item", "")}), widget("bogus", "b")}},
         "missing required field: id"},
        // The title key is not checked; ids need not be unique.
        {{"1.0", "s", "", {widget("item", "a"), widget("item", "a")}}, "ok"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(validation_text(c.screen), c.expected);
    }
}

TEST(ValidateScreen, AcceptsExactlyTheTenWidgetTypes) {
    for (const char* type : {"menu", "item", "info", "panel", "submenu", "confirm", "dropdown",
                             "navigation", "positioned-item", "layout-container"}) {
        EXPECT_TRUE(tmpl::is_known_widget_type(type)) << type;
    }
    for (const char* type : {"", "Item", "positioned_item", "layout", " menu"}) {
        EXPECT_FALSE(tmpl::is_known_widget_type(type)) << type;
    }
}

TEST(ScreenTemplateError, DisplaysEveryKind) {
    using Kind = tmpl::ScreenTemplateError::Kind;
    EXPECT_EQ(tmpl::display_screen_template_error({Kind::Io, "Is a directory (os error 21)"}),
              "IO: Is a directory (os error 21)");
    EXPECT_EQ(
        tmpl::display_screen_template_error({Kind::Json, "missing field `id` at line 7 column 5"}),
        "JSON: missing field `id` at line 7 column 5");
}

TEST(DefaultMainMenu, IsAValidMenuOfThreeItems) {
    const tmpl::ScreenTemplate menu = tmpl::default_main_menu();
    EXPECT_TRUE(tmpl::validate_screen(menu));
    EXPECT_EQ(menu.screen_id, "main-menu");
    EXPECT_EQ(menu.title_key, "menu.main.title");
    ASSERT_EQ(menu.widgets.size(), 1u);
    const tmpl::Widget& main = menu.widgets[0];
    EXPECT_EQ(main.label_key, "menu.main");
    EXPECT_FALSE(main.action);
    ASSERT_EQ(main.children.size(), 3u);
    EXPECT_EQ(main.children[1].id, "net");
    EXPECT_EQ(main.children[1].action, "network_status");
    EXPECT_EQ(main.children[2].action, "power_menu");
}

}  // namespace
}  // namespace tarnwick::tmpl
