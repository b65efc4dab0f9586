// The mouse self-test's report: all checks passing, and the FAIL line format
// when a fixture is deliberately broken.

#include "tui/mouse_smoke.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::tui {
namespace {

using Lines = std::vector<std::string>;

const Lines kPassLines{
    "PASS list_window_start",
    "PASS list_item_index",
    "PASS rect_contains",
    "PASS login_click_user_opens_drop",
    "PASS login_click_user_list_select",
    "PASS login_click_lang_list_select",
    "PASS login_click_error_dismiss",
    "PASS form_field_at",
    "PASS form_choice_cycle_right",
    "PASS form_choice_cycle_left",
    "PASS sgr_left_click_encode",
    "PASS sgr_wheel_down_encode",
};

Lines without(Lines lines, const std::string& line) {
    std::erase(lines, line);
    return lines;
}

TEST(MouseSmoke, AllChecksPass) {
    const SmokeReport report = run_mouse_smoke_tests();
    Lines expected = kPassLines;
    expected.push_back("MOUSE_SMOKE_OK");
    EXPECT_EQ(report.lines, expected);
    EXPECT_FALSE(report.failed);
}

TEST(MouseSmoke, BrokenFixturePutsFailLinesFirst) {
    SmokeFixture disabled = smoke_fixture();
    disabled.mode_field.disabled = true;
    SmokeFixture last_choice = smoke_fixture();
    SmokeFixture moved_user_field = smoke_fixture();
    moved_user_field.login_areas.user_field = Rect{0, 0, 10, 1};
    last_choice.mode_field.value = "none";

    const struct {
        const char* name;
        SmokeFixture fixture;
        Lines expected;
    } cases[] = {
        // The press meets nothing: the list stays shut and the focus stays.
        {"user field away from the press", moved_user_field,
         [] {
             Lines lines{"FAIL login_click_user_opens_drop act=miss drop=false focus=Pass"};
             for (const auto& l : without(kPassLines, "PASS login_click_user_opens_drop"))
                 lines.push_back(l);
             return lines;
         }()},
        // The field never moves, so only the forward check notices.
        {"disabled field", disabled,
         [] {
             Lines lines{"FAIL form_choice_cycle_right value=dhcp"};
             for (const auto& l : without(kPassLines, "PASS form_choice_cycle_right"))
                 lines.push_back(l);
             return lines;
         }()},
        // The second check starts from what the first one left.
        {"value on the last choice", last_choice,
         [] {
             Lines lines{"FAIL form_choice_cycle_right value=dhcp",
                         "FAIL form_choice_cycle_left value=none"};
             for (const auto& l : without(without(kPassLines, "PASS form_choice_cycle_right"),
                                          "PASS form_choice_cycle_left"))
                 lines.push_back(l);
             return lines;
         }()},
    };
    for (const auto& c : cases) {
        const SmokeReport report = run_mouse_smoke_tests(c.fixture);
        EXPECT_EQ(report.lines, c.expected) << c.name;
        EXPECT_TRUE(report.failed) << c.name;
    }
}

}  // namespace
}  // namespace tarnwick::tui
