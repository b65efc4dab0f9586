#include "tui/screens/login_layout.h"

#include "support/test_backend.h"
#include "tui/kit/terminal.h"
#include "tui/kit/width.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::tui {
namespace {

using test::TestBackend;

Catalog test_catalog() {
    Catalog c;
    c.messages = {
        {"brand.name", "Brand"},
        {"login.title", "Sign in"},
        {"login.user", "User"},
        {"login.password", "Password"},
        {"login.language", "Language"},
        {"login.help", "F1 log"},
        {"login.attempts", "Tries"},
        {"login.sign_in_prompt", "Who are you?"},
        {"login.user_type", "type a name"},
        {"login.user_other", "Other..."},
        {"login.users_list", "Users"},
        {"login.languages_list", "Languages"},
        {"login.panel_hint", "Enter signs in"},
        {"login.welcome.title", "Welcome"},
        {"login.welcome.body", "Sign in below."},
    };
    return c;
}

LocaleInfo lang(std::string tag, std::string native) {
    LocaleInfo l;
    l.tag = std::move(tag);
    l.native_name = std::move(native);
    return l;
}

LoginState base_state() {
    LoginStart s;
    s.attempts = 3;
    s.users = {"alice", "bob"};
    s.languages = {lang("en-US", "English"), lang("de-DE", "Deutsch"), lang("fr-FR", "Français")};
    s.current_tag = "en-US";
    return initial_login_state(std::move(s));
}

std::vector<std::string> twelve_users() {
    std::vector<std::string> users;
    for (int i = 0; i < 12; ++i) {
        users.push_back(fmt::format("user{}", i));
    }
    return users;
}

struct Rendered {
    TestBackend backend;
    LoginHitAreas areas;

    Rendered(std::uint16_t w, std::uint16_t h) : backend(w, h) {}
    std::string row(std::uint16_t y) const { return backend.row_text(y); }
    const Cell& at(std::uint16_t x, std::uint16_t y) const { return *backend.screen().cell(x, y); }
    // The text of a row between two columns (cell symbols joined).
    std::string cut(std::uint16_t y, std::uint16_t x, std::uint16_t width) const {
        std::string out;
        for (std::uint16_t i = 0; i < width; ++i) {
            out += at(static_cast<std::uint16_t>(x + i), y).symbol;
        }
        return out;
    }
};

std::unique_ptr<Rendered> render(std::uint16_t w, std::uint16_t h, const LoginState& state,
                                 bool mono = false) {
    auto out = std::make_unique<Rendered>(w, h);
    auto terminal = Terminal::create(out->backend);
    EXPECT_TRUE(terminal.has_value());
    const Catalog catalog = test_catalog();
    const tmpl::LoginTemplate page;
    auto drawn = terminal->draw([&](Frame& f) {
        out->areas = draw_login_screen(f.buffer(), f.area(), state, mono, catalog, page);
    });
    EXPECT_TRUE(drawn.has_value());
    return out;
}

bool contains(const std::string& haystack, std::string_view needle) {
    return haystack.find(needle) != std::string::npos;
}

TEST(LoginLayout, WideScreenFrame) {
    LoginState state = base_state();
    state.addresses = {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5"};
    const auto r = render(100, 30, state);

    // Header 3 rows (its own bottom border on row 3), footer 4 rows from row 25.
    EXPECT_EQ(r->at(0, 0).symbol, "┌");
    EXPECT_TRUE(contains(r->row(1), "│ Brand "));
    EXPECT_EQ(r->cut(3, 1, 3), "───");
    EXPECT_EQ(r->cut(25, 1, 3), "───");
    EXPECT_EQ(r->at(0, 29).symbol, "└");
    // Only the first four addresses, right-aligned in the header's right part.
    EXPECT_TRUE(contains(r->row(1), "10.0.0.1  ·  10.0.0.2  ·  10.0.0.3  ·  10.0.0.4│"));
    EXPECT_FALSE(contains(r->row(1) + r->row(2), "10.0.0.5"));

    // Body 98 wide: welcome 47 columns, sign-in panel from column 49.
    EXPECT_EQ(r->at(1, 4).symbol, "┌");
    EXPECT_EQ(r->at(47, 4).symbol, "┐");
    EXPECT_EQ(r->at(47, 24).symbol, "┘");
    EXPECT_EQ(r->at(49, 4).symbol, "┌");
    EXPECT_EQ(r->at(98, 4).symbol, "┐");
    EXPECT_EQ(r->cut(4, 50, 9), " Sign in ");
    EXPECT_EQ(r->at(1, 4).bg, Color::Cyan);
    EXPECT_TRUE(contains(r->row(6), "Welcome"));  // the default welcome text
    EXPECT_TRUE(contains(r->row(8), "Sign in below."));

    EXPECT_TRUE(contains(r->row(6), " Who are you? "));
    EXPECT_EQ(r->areas.user_field, (Rect{51, 8, 46, 1}));
    EXPECT_TRUE(contains(r->row(8), " User: alice ▼ "));
    EXPECT_EQ(r->areas.password_field, (Rect{51, 10, 46, 1}));
    EXPECT_TRUE(contains(r->row(10), " Password: █"));
    EXPECT_EQ(r->at(51, 10).bg, Color::Cyan);  // focused field
    EXPECT_TRUE(contains(r->row(23), " Enter signs in "));
    EXPECT_EQ(r->areas.lang_field, (Rect{1, 26, 44, 3}));
    EXPECT_TRUE(contains(r->row(26), " Language: English ▼ "));
    EXPECT_TRUE(contains(r->row(26), "F1 log  Tries:3 │"));
    EXPECT_FALSE(r->areas.user_list || r->areas.lang_list || r->areas.error_box);
}

TEST(LoginLayout, NarrowScreenStacksThePanels) {
    LoginState state = base_state();
    const auto r = render(60, 30, state);
    EXPECT_EQ(r->at(1, 4).symbol, "┌");
    EXPECT_EQ(r->at(58, 4).symbol, "┐");
    EXPECT_EQ(r->at(1, 11).symbol, "└");
    EXPECT_EQ(r->at(2, 12).symbol, "┌");
    EXPECT_EQ(r->areas.user_field, (Rect{4, 16, 53, 1}));
    // Without addresses the right half of the header stays empty.
    EXPECT_EQ(r->cut(1, 28, 30), std::string(30, ' '));
}

TEST(LoginLayout, EightyByTwentyFour) {
    LoginState state = base_state();
    state.focus = LoginFocus::User;
    state.user_list_open = true;
    const auto r = render(80, 24, state);
    EXPECT_EQ(r->at(38, 4).symbol, " ");  // one column between the panels
    EXPECT_EQ(r->at(39, 4).symbol, "┌");
    EXPECT_EQ(r->areas.user_field, (Rect{41, 8, 36, 1}));
    ASSERT_TRUE(r->areas.user_list);
    EXPECT_EQ(*r->areas.user_list, (Rect{41, 9, 36, 5}));
    EXPECT_TRUE(contains(r->row(9), "┌ Users "));
    EXPECT_TRUE(contains(r->row(10), "▶ alice"));
    EXPECT_TRUE(contains(r->row(11), "  bob"));
    EXPECT_TRUE(contains(r->row(12), "  Other..."));
    EXPECT_EQ(r->areas.password_field, (Rect{41, 15, 36, 1}));
    EXPECT_EQ(r->areas.user_list_len, 3u);
    EXPECT_TRUE(contains(r->row(8), " User: alice ▲ "));
}

TEST(LoginLayout, PasswordStarsAreCapped) {
    struct Case {
        std::string password;
        std::size_t stars;
    };
    const Case cases[] = {{"", 0}, {"abc", 3}, {std::string(40, 'x'), 32}, {"éé", 4}};
    for (const auto& c : cases) {
        LoginState state = base_state();
        (void)state.password.append(c.password);
        const auto r = render(100, 30, state);
        EXPECT_TRUE(contains(r->row(10), " Password: " + std::string(c.stars, '*') + "█"))
            << c.password;
        EXPECT_FALSE(contains(r->row(10), std::string(c.stars + 1, '*'))) << c.password;
    }
}

TEST(LoginLayout, TwelveUsersScrollTheWindow) {
    LoginState state = base_state();
    state.users = twelve_users();
    state.user_sel = 10;
    state.focus = LoginFocus::User;
    state.user_list_open = true;
    const auto r = render(100, 30, state);
    ASSERT_TRUE(r->areas.user_list);
    EXPECT_EQ(*r->areas.user_list, (Rect{51, 9, 46, 10}));
    EXPECT_EQ(r->areas.user_list_start, 3u);
    EXPECT_EQ(r->areas.user_list_len, 13u);
    EXPECT_TRUE(contains(r->row(10), "  user3"));
    EXPECT_TRUE(contains(r->row(17), "▶ user10"));
    EXPECT_EQ(r->at(52, 17).bg, Color::Cyan);
    EXPECT_EQ(r->areas.password_field, (Rect{51, 20, 46, 1}));

    // A press on the third row below the top border selects index 5.
    EXPECT_EQ(login_mouse_hit(state, r->areas,
                              MouseEvent{MouseEventKind::Down, MouseButton::Left, 60, 12}),
              "user_list_select");
    EXPECT_EQ(state.user_sel, 5u);
    EXPECT_EQ(state.focus, LoginFocus::Pass);
}

TEST(LoginLayout, LanguageDropDownAboveTheFooter) {
    LoginState state = base_state();
    state.focus = LoginFocus::Lang;
    state.lang_list_open = true;
    const auto three = render(100, 32, state);  // footer at row 27
    ASSERT_TRUE(three->areas.lang_list);
    EXPECT_EQ(*three->areas.lang_list, (Rect{1, 22, 36, 5}));
    EXPECT_TRUE(contains(three->row(22), "┌ Languages ─"));
    EXPECT_TRUE(contains(three->row(23), "▶ English (en-US)"));
    EXPECT_TRUE(contains(three->row(25), "  Français (fr-FR)"));
    EXPECT_EQ(three->areas.lang_list_len, 3u);

    state.languages.clear();
    for (int i = 1; i <= 20; ++i) {
        state.languages.push_back(lang(fmt::format("t{}", i), fmt::format("L{}", i)));
    }
    state.lang_sel = 11;
    const auto twenty = render(100, 32, state);
    ASSERT_TRUE(twenty->areas.lang_list);
    EXPECT_EQ(*twenty->areas.lang_list, (Rect{1, 17, 36, 10}));
    EXPECT_TRUE(contains(twenty->row(17), " Languages · 12/20 "));
    EXPECT_EQ(twenty->areas.lang_list_start, 4u);
    EXPECT_TRUE(contains(twenty->row(25), "▶ L12 (t12)"));
    EXPECT_TRUE(contains(twenty->row(28), " Language: L12 ▲ "));
}

TEST(LoginLayout, WelcomeMarkupKeepsItsStyles) {
    LoginState state = base_state();
    state.welcome = {{MarkupSpan{"Hello ", false, false, false, false},
                      MarkupSpan{"there", true, false, false, false}},
                     {},
                     {MarkupSpan{"dim", false, false, false, true}}};
    const auto r = render(100, 30, state, true);
    EXPECT_TRUE(contains(r->row(6), "Hello there"));
    EXPECT_EQ(r->at(9, 6).modifier, Modifier::Bold);  // "t" of "there"
    EXPECT_EQ(r->at(3, 8).modifier, Modifier::Dim);
    EXPECT_EQ(r->at(3, 6).fg, Color::Black);
    EXPECT_EQ(r->at(3, 6).bg, Color::White);  // mono accent
    // Mono highlight: no colour, bold and reversed.
    EXPECT_EQ(r->at(51, 10).modifier, Modifier::Bold | Modifier::Reversed);
}

TEST(LoginLayout, ErrorBoxCoversTheScreen) {
    LoginState state = base_state();
    LoginFailure failure;
    failure.title = "Failed";
    failure.message = "Authentication failure";
    failure.attempts_left = 2;
    state.failure = failure;
    const auto r = render(100, 30, state);
    EXPECT_EQ(r->areas.error_box, (Rect{0, 0, 100, 30}));
    EXPECT_EQ(r->cut(6, 17, 8), " Failed ");
    EXPECT_TRUE(contains(r->row(7), "│Authentication failure"));
    EXPECT_EQ(r->at(60, 26).fg, Color::DarkGray);  // the form behind is darkened
}

// Mouse cases against the areas of a 100 x 30 frame.
TEST(LoginMouse, Cases) {
    using K = MouseEventKind;
    auto press = [](std::uint16_t col, std::uint16_t row) {
        return MouseEvent{K::Down, MouseButton::Left, col, row};
    };
    struct Case {
        const char* name;
        std::function<void(LoginState&)> setup;
        MouseEvent event;
        std::string_view action;
        std::function<void(const LoginState&)> check;
    };
    const std::vector<Case> cases = {
        {"press on a user row",
         [](LoginState& s) {
             s.user_list_open = true;
             (void)s.password.append("x");
         },
         press(70, 11), "user_list_select",
         [](const LoginState& s) {
             EXPECT_EQ(s.user_sel, 1u);
             EXPECT_EQ(s.focus, LoginFocus::Pass);
             EXPECT_FALSE(s.user_list_open);
             EXPECT_TRUE(s.password.empty());
         }},
        {"press on the same row keeps the password",
         [](LoginState& s) {
             s.user_list_open = true;
             (void)s.password.append("x");
         },
         press(2, 10), "user_list_select",
         [](const LoginState& s) { EXPECT_EQ(s.password.view(), "x"); }},
        {"press on the other row", [](LoginState& s) { s.user_list_open = true; }, press(70, 12),
         "user_list_select",
         [](const LoginState& s) {
             EXPECT_EQ(s.user_sel, 2u);
             EXPECT_EQ(s.focus, LoginFocus::User);
         }},
        {"press on a language row", [](LoginState& s) { s.lang_list_open = true; }, press(5, 25),
         "lang_list_select",
         [](const LoginState& s) {
             EXPECT_EQ(s.lang_sel, 2u);
             EXPECT_EQ(s.focus, LoginFocus::User);
             EXPECT_FALSE(s.lang_list_open);
         }},
        {"press on the language field opens",
         {},
         press(5, 28),
         "lang_field_toggle",
         [](const LoginState& s) {
             EXPECT_TRUE(s.lang_list_open);
             EXPECT_EQ(s.focus, LoginFocus::Lang);
         }},
        {"press on the language field closes", [](LoginState& s) { s.lang_list_open = true; },
         press(5, 30), "lang_field_toggle",
         [](const LoginState& s) { EXPECT_FALSE(s.lang_list_open); }},
        {"press on the user field", [](LoginState& s) { s.lang_list_open = true; }, press(60, 8),
         "user_field_toggle",
         [](const LoginState& s) {
             EXPECT_TRUE(s.user_list_open);
             EXPECT_FALSE(s.lang_list_open);
             EXPECT_EQ(s.focus, LoginFocus::User);
         }},
        {"press on the password field", [](LoginState& s) { s.focus = LoginFocus::User; },
         press(60, 10), "pass_field_focus",
         [](const LoginState& s) { EXPECT_EQ(s.focus, LoginFocus::Pass); }},
        {"press elsewhere closes a drop-down", [](LoginState& s) { s.lang_list_open = true; },
         press(60, 2), "dropdown_close",
         [](const LoginState& s) { EXPECT_FALSE(s.lang_list_open); }},
        {"press elsewhere with nothing open", {}, press(60, 2), "miss", {}},
        {"wheel over the password with the user list open",
         [](LoginState& s) { s.user_list_open = true; },
         MouseEvent{K::ScrollDown, MouseButton::Left, 60, 15}, "scroll_ignored",
         [](const LoginState& s) { EXPECT_EQ(s.user_sel, 0u); }},
        {"wheel over the user list",
         [](LoginState& s) {
             s.user_list_open = true;
             (void)s.password.append("x");
         },
         MouseEvent{K::ScrollDown, MouseButton::Left, 60, 11}, "user_scroll",
         [](const LoginState& s) {
             EXPECT_EQ(s.user_sel, 1u);
             EXPECT_TRUE(s.password.empty());
         }},
        {"wheel up over the user field at the top", [](LoginState& s) { s.user_list_open = true; },
         MouseEvent{K::ScrollUp, MouseButton::Left, 60, 8}, "user_scroll",
         [](const LoginState& s) { EXPECT_EQ(s.user_sel, 0u); }},
        {"wheel anywhere with the language list open",
         [](LoginState& s) { s.lang_list_open = true; },
         MouseEvent{K::ScrollDown, MouseButton::Left, 90, 2}, "lang_scroll",
         [](const LoginState& s) {
             EXPECT_EQ(s.lang_sel, 1u);
             EXPECT_TRUE(s.lang_list_open);
         }},
        {"release", {}, MouseEvent{K::Up, MouseButton::Left, 60, 10}, "ignored", {}},
        {"right press", {}, MouseEvent{K::Down, MouseButton::Right, 60, 10}, "ignored", {}},
        {"move", {}, MouseEvent{K::Moved, MouseButton::Left, 60, 10}, "ignored", {}},
        {"sideways wheel", {}, MouseEvent{K::ScrollLeft, MouseButton::Left, 60, 10}, "ignored", {}},
        {"error box: press anywhere dismisses",
         [](LoginState& s) {
             s.failure = LoginFailure{};
             (void)s.password.append("x");
         },
         press(0, 0), "error_dismiss",
         [](const LoginState& s) {
             EXPECT_FALSE(s.failure);
             EXPECT_TRUE(s.password.empty());
             EXPECT_EQ(s.focus, LoginFocus::Pass);
         }},
        {"error box: right press keeps it", [](LoginState& s) { s.failure = LoginFailure{}; },
         MouseEvent{K::Down, MouseButton::Right, 50, 15}, "ignored",
         [](const LoginState& s) { EXPECT_TRUE(s.failure); }},
        {"error box: release keeps it", [](LoginState& s) { s.failure = LoginFailure{}; },
         MouseEvent{K::Up, MouseButton::Left, 50, 15}, "ignored",
         [](const LoginState& s) { EXPECT_TRUE(s.failure); }},
    };
    for (const auto& c : cases) {
        LoginState state = base_state();
        state.lang_sel = 0;
        if (c.setup) {
            c.setup(state);
        }
        // 100 x 32 puts the language drop-down on rows 22 to 26.
        const auto frame = render(100, 32, state);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(login_mouse_hit(state, frame->areas, c.event), c.action);
        if (c.check) {
            c.check(state);
        }
    }
}

TEST(LoginMouse, ErrorMissOutsideARecordedBox) {
    LoginState state = base_state();
    state.failure = LoginFailure{};
    LoginHitAreas areas;
    areas.error_box = Rect{10, 10, 5, 5};
    EXPECT_EQ(
        login_mouse_hit(state, areas, MouseEvent{MouseEventKind::Down, MouseButton::Left, 0, 0}),
        "error_miss");
    EXPECT_TRUE(state.failure);
}

}  // namespace
}  // namespace tarnwick::tui
