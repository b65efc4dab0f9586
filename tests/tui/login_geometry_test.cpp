#include "tui/screens/login_geometry.h"

#include <gtest/gtest.h>

namespace tarnwick::tui {
namespace {

TEST(SignInRows, WideScreenWithTwelveUsers) {
    // The sign-in half of a 100 x 30 screen's body.
    const SignInRows rows = sign_in_rows(Rect{48, 4, 51, 21}, true, 13);
    EXPECT_EQ(rows.panel, (Rect{49, 4, 50, 21}));
    EXPECT_EQ(rows.inner, (Rect{50, 5, 48, 19}));
    EXPECT_EQ(rows.x, 51);
    EXPECT_EQ(rows.width, 46);
    EXPECT_EQ(rows.prompt_row, 6);
    EXPECT_EQ(rows.user_row, 8);
    ASSERT_TRUE(rows.user_list);
    EXPECT_EQ(*rows.user_list, (Rect{51, 9, 46, 10}));
    EXPECT_EQ(rows.user_list_rows, 8u);
    EXPECT_EQ(rows.password_row, 20);
    EXPECT_EQ(rows.hint_row, 23);
}

TEST(SignInRows, ShortPanels) {
    struct Case {
        const char* name;
        Rect area;
        bool list;
        std::size_t entries;
        std::optional<std::uint16_t> prompt;
        std::uint16_t user;
        std::size_t list_rows;
        std::optional<std::uint16_t> password;
        std::optional<std::uint16_t> hint;
    };
    const Case cases[] = {
        {"closed list", Rect{48, 4, 51, 21}, false, 13, 6, 8, 0, 10, 23},
        {"stacked 60 x 30: the list gets 2 rows", Rect{1, 12, 58, 13}, true, 13, 14, 16, 2, 22,
         std::nullopt},
        {"list too short to draw", Rect{1, 12, 58, 10}, true, 13, 14, 16, 0, 18, std::nullopt},
        {"raised to 6 rows high: no prompt room lost", Rect{0, 0, 30, 2}, false, 2, 2, 4, 0,
         std::nullopt, std::nullopt},
        {"few users: list as long as the entries", Rect{48, 4, 51, 21}, true, 3, 6, 8, 3, 15, 23},
    };
    for (const auto& c : cases) {
        const SignInRows rows = sign_in_rows(c.area, c.list, c.entries);
        EXPECT_EQ(rows.prompt_row, c.prompt) << c.name;
        EXPECT_EQ(rows.user_row, c.user) << c.name;
        EXPECT_EQ(rows.user_list_rows, c.list_rows) << c.name;
        EXPECT_EQ(rows.user_list.has_value(), c.list_rows > 0) << c.name;
        EXPECT_EQ(rows.password_row, c.password) << c.name;
        EXPECT_EQ(rows.hint_row, c.hint) << c.name;
    }
}

TEST(LanguageDropDown, SitsAboveTheFooter) {
    struct Case {
        const char* name;
        Rect field;
        std::uint16_t footer_y;
        std::size_t languages;
        Rect area;
        std::size_t rows;
    };
    const Case cases[] = {
        {"three languages", Rect{1, 28, 44, 3}, 27, 3, Rect{1, 22, 36, 5}, 3},
        {"twenty languages: 8 rows", Rect{1, 28, 44, 3}, 27, 20, Rect{1, 17, 36, 10}, 8},
        {"narrow field raised to 22", Rect{1, 28, 10, 3}, 27, 1, Rect{1, 24, 22, 3}, 1},
        {"no room: one row, clipped at the top", Rect{1, 3, 30, 3}, 2, 5, Rect{1, 0, 30, 3}, 1},
    };
    for (const auto& c : cases) {
        const auto drop = language_drop_down(c.field, Rect{1, c.footer_y, 98, 4}, c.languages);
        ASSERT_TRUE(drop) << c.name;
        EXPECT_EQ(drop->area, c.area) << c.name;
        EXPECT_EQ(drop->rows, c.rows) << c.name;
    }
    EXPECT_FALSE(language_drop_down(Rect{1, 28, 44, 3}, Rect{1, 27, 98, 4}, 0));
}

}  // namespace
}  // namespace tarnwick::tui
