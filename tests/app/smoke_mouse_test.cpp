// --smoke-mouse as a process: every line of the all-pass report on stdout.

#include "offline_fixture.h"

#include <gtest/gtest.h>

namespace tarnwick::app {
namespace {

TEST(SmokeMouse, PrintsThePassLinesAndEndsWithZero) {
    test::ProcessOptions no_config;  // reads no configuration and needs no terminal
    no_config.env = {{"TERM", std::nullopt}};
    const auto r = test::run_tarnwick({"--smoke-mouse", "--config-dir", "/nonexistent"}, no_config);
    EXPECT_EQ(r.out,
              "PASS list_window_start\n"
              "PASS list_item_index\n"
              "PASS rect_contains\n"
              "PASS login_click_user_opens_drop\n"
              "PASS login_click_user_list_select\n"
              "PASS login_click_lang_list_select\n"
              "PASS login_click_error_dismiss\n"
              "PASS form_field_at\n"
              "PASS form_choice_cycle_right\n"
              "PASS form_choice_cycle_left\n"
              "PASS sgr_left_click_encode\n"
              "PASS sgr_wheel_down_encode\n"
              "MOUSE_SMOKE_OK\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

}  // namespace
}  // namespace tarnwick::app
