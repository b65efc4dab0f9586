#include "tui/screens/login_error_box.h"

#include <gtest/gtest.h>

namespace tarnwick::tui {
namespace {

TEST(LoginErrorBox, SizeFollowsTheScreen) {
    struct Case {
        Rect screen;
        Rect box;
    };
    const Case cases[] = {
        {Rect{0, 0, 200, 50}, Rect{66, 16, 68, 18}},
        {Rect{0, 0, 40, 10}, Rect{0, 0, 40, 10}},
        {Rect{0, 0, 60, 14}, Rect{2, 1, 56, 12}},
        {Rect{0, 0, 100, 30}, Rect{16, 6, 68, 18}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(login_error_box_area(c.screen), c.box);
    }
}

TEST(LoginErrorBox, Text) {
    Catalog catalog;
    catalog.messages = {
        {"login.error.tried_as", "tried {user}"},  {"login.error.pam_account", "as {user}"},
        {"login.error.password_len", "len {n}"},   {"login.error.empty_password", "empty!"},
        {"login.error.attempts_left", "{n} left"}, {"login.error.no_attempts", "none left"},
        {"login.error.detail_label", "Detail:"},   {"login.error.ok", "OK"},
        {"login.error.dismiss", "Enter closes"},
    };
    LoginFailure full;
    full.message = "Wrong";
    full.tried_user = "Admin";
    full.pam_user = "root";
    full.password_len = 0;
    full.attempts_left = 2;
    full.detail = "pam said no";
    EXPECT_EQ(login_error_text(full, catalog),
              "Wrong\n\ntried Admin\nas root\nlen 0\nempty!\n\n2 left\n\nDetail:\npam said no\n\n[ "
              "OK ]  —  Enter closes");

    LoginFailure same;
    same.tried_user = "bob";
    same.pam_user = "bob";
    same.password_len = 3;
    EXPECT_EQ(login_error_text(same, catalog),
              "\n\ntried bob\nlen 3\n\nnone left\n\n[ OK ]  —  Enter closes");

    LoginFailure pam_only;
    pam_only.message = "M";
    pam_only.pam_user = "root";
    pam_only.attempts_left = 1;
    EXPECT_EQ(login_error_text(pam_only, catalog),
              "M\n\nas root\n\n1 left\n\n[ OK ]  —  Enter closes");
}

TEST(LoginErrorBox, DrawnOverADarkenedScreen) {
    Buffer buf(Rect{0, 0, 100, 30});
    buf.set_string(0, 0, "behind", Style{}.with_fg(Color::Cyan));
    LoginFailure failure;
    failure.title = "Failed";
    failure.message = "Authentication failure";
    failure.attempts_left = 2;
    draw_login_error_box(buf, buf.area(), failure, false, Catalog{});
    auto row = [&](std::uint16_t y, std::uint16_t x, std::uint16_t w) {
        std::string out;
        for (std::uint16_t i = 0; i < w; ++i)
            out += buf.cell(static_cast<std::uint16_t>(x + i), y)->symbol;
        return out;
    };
    EXPECT_EQ(buf.cell(0, 0)->symbol, "b");  // the backdrop keeps its characters
    EXPECT_EQ(buf.cell(0, 0)->fg, Color::DarkGray);
    EXPECT_EQ(buf.cell(16, 6)->symbol, "┌");
    EXPECT_EQ(buf.cell(16, 6)->fg, Color::Red);
    EXPECT_EQ(row(6, 17, 8), " Failed ");
    EXPECT_EQ(buf.cell(18, 6)->modifier, Modifier::Bold);
    EXPECT_EQ(row(7, 16, 23), "│Authentication failure");
    EXPECT_EQ(row(10, 17, 31), "login.error.attempts_left      ");
    EXPECT_EQ(buf.cell(17, 7)->bg, Color::Black);
    EXPECT_EQ(buf.cell(17, 7)->fg, Color::White);
    EXPECT_EQ(buf.cell(83, 23)->symbol, "┘");
}

}  // namespace
}  // namespace tarnwick::tui
