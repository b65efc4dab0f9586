// Choice cycling and the pointer-row lookup of the form view.

#include "tui/screens/form_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::tui {
namespace {

tmpl::FormField mode_field(std::string value) {
    return tmpl::FormField{
        "mode", "Mode", std::move(value), std::vector<std::string>{"dhcp", "static", "none"},
        false,  false};
}

TEST(CycleFieldOption, MovesAndWrapsInBothDirections) {
    struct Case {
        const char* value;
        bool backward;
        const char* expected;
    };
    const Case cases[] = {
        {"dhcp", false, "static"},   {"static", true, "dhcp"},
        {"none", false, "dhcp"},      // wraps forward
        {"dhcp", true, "none"},       // wraps backward
        {"manual", false, "static"},  // not a choice: counts as the first
        {"manual", true, "none"},    {"Static", false, "static"},  // exact comparison only
    };
    for (const auto& c : cases) {
        tmpl::FormField field = mode_field(c.value);
        cycle_field_option(field, c.backward);
        EXPECT_EQ(field.value, c.expected) << c.value << (c.backward ? " backward" : " forward");
    }
}

TEST(CycleFieldOption, LeavesFieldsWithoutUsableChoicesAlone) {
    tmpl::FormField disabled = mode_field("dhcp");
    disabled.disabled = true;
    tmpl::FormField no_choices = mode_field("dhcp");
    no_choices.choices.reset();
    tmpl::FormField empty_choices = mode_field("dhcp");
    empty_choices.choices.emplace();
    for (tmpl::FormField* field : {&disabled, &no_choices, &empty_choices}) {
        cycle_field_option(*field, false);
        EXPECT_EQ(field->value, "dhcp");
    }

    tmpl::FormField heading = mode_field("dhcp");  // the heading flag is not a reason to refuse
    heading.heading = true;
    cycle_field_option(heading, false);
    EXPECT_EQ(heading.value, "static");

    tmpl::FormField single = mode_field("dhcp");
    single.choices = std::vector<std::string>{"only"};
    cycle_field_option(single, true);
    EXPECT_EQ(single.value, "only");
}

TEST(FormFieldAt, FindsTheRowDrawnOnThePointerRow) {
    const FormRowTable table{{4, 7}, {5, 8}, {6, 9}};
    EXPECT_EQ(form_field_at(table, 4), 7u);
    EXPECT_EQ(form_field_at(table, 6), 9u);
    EXPECT_EQ(form_field_at(table, 3), std::nullopt);
    EXPECT_EQ(form_field_at(table, 7), std::nullopt);
    EXPECT_EQ(form_field_at({}, 0), std::nullopt);
}

}  // namespace
}  // namespace tarnwick::tui
