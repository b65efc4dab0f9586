#include "tui/screens/login_state.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tarnwick::tui {
namespace {

using F = LoginFocus;
using O = LoginKeyOutcome;

KeyEvent key(Key code) {
    return KeyEvent::key(code);
}
KeyEvent ch(char32_t c) {
    return KeyEvent::character(c);
}
KeyEvent f1() {
    return KeyEvent::function(1);
}

LocaleInfo lang(std::string tag, std::string native) {
    LocaleInfo l;
    l.tag = std::move(tag);
    l.native_name = std::move(native);
    return l;
}

tmpl::LoginTemplate page(std::size_t user_max = 64, std::size_t pass_max = 256) {
    tmpl::LoginTemplate t;
    t.user_max_length = user_max;
    t.password_max_length = pass_max;
    return t;
}

LoginStart start(bool list_mode, std::optional<std::string> preset = std::nullopt) {
    LoginStart s;
    s.attempts = 3;
    s.users = {"alice", "bob", "root"};
    s.languages = {lang("en-US", "English"), lang("de-DE", "Deutsch"), lang("fr-FR", "Français")};
    s.current_tag = "en-US";
    s.list_mode = list_mode;
    s.preset_user = std::move(preset);
    return s;
}

TEST(LoginStart, UserFieldAndFocusFromModeAndPreset) {
    struct Case {
        const char* name;
        bool list_mode;
        std::optional<std::string> preset;
        std::size_t user_sel;
        std::string typed;
        F focus;
    };
    const Case cases[] = {
        {"list, no preset", true, std::nullopt, 0, "", F::Pass},
        {"list, blank preset", true, "   ", 0, "", F::Pass},
        {"list, listed preset is trimmed", true, " root ", 2, "", F::Pass},
        {"list, unknown preset", true, "nobody", 3, "nobody", F::User},
        {"typed, no preset", false, std::nullopt, 3, "", F::User},
        {"typed, empty preset", false, "", 3, "", F::User},
        {"typed, preset kept untrimmed", false, " carol", 3, " carol", F::Pass},
    };
    for (const auto& c : cases) {
        const LoginState s = initial_login_state(start(c.list_mode, c.preset));
        EXPECT_EQ(s.user_sel, c.user_sel) << c.name;
        EXPECT_EQ(s.typed_user, c.typed) << c.name;
        EXPECT_EQ(s.focus, c.focus) << c.name;
        EXPECT_FALSE(s.user_list_open || s.lang_list_open) << c.name;
        EXPECT_TRUE(s.password.empty()) << c.name;
    }
}

TEST(LoginStart, EmptyListsGetDefaultsAndTheLanguageIsFound) {
    LoginStart s;
    s.current_tag = "xx";
    const LoginState empty = initial_login_state(std::move(s));
    ASSERT_EQ(empty.users, std::vector<std::string>{"administrator"});
    ASSERT_EQ(empty.languages.size(), 1u);
    EXPECT_EQ(empty.languages[0].tag, "en-US");
    EXPECT_EQ(empty.languages[0].native_name, "English");
    EXPECT_EQ(empty.lang_sel, 0u);
    EXPECT_EQ(empty.focus, F::Pass);
    EXPECT_EQ(current_username(empty), "administrator");

    LoginStart fr = start(true);
    fr.current_tag = "fr-FR";
    EXPECT_EQ(initial_login_state(std::move(fr)).lang_sel, 2u);
}

// One row: a start state (adjusted by `setup`), keys pressed in order, and the
// state and outcome of the last key.
struct Row {
    const char* name;
    bool list_mode;
    std::function<void(LoginState&)> setup;
    std::vector<KeyEvent> keys;
    std::function<void(const LoginState&, O)> check;
};

void run_rows(const std::vector<Row>& rows, const tmpl::LoginTemplate& t = page()) {
    for (const auto& row : rows) {
        LoginState s = initial_login_state(start(row.list_mode));
        if (row.setup) {
            row.setup(s);
        }
        O last = O::Continue;
        for (const auto& k : row.keys) {
            last = handle_login_key(s, k, t);
        }
        SCOPED_TRACE(row.name);
        row.check(s, last);
    }
}

void focus_on(LoginState& s, F f) {
    s.focus = f;
}

TEST(LoginKeys, FocusMovesAndDropDowns) {
    run_rows({
        {"tab from user",
         true,
         [](LoginState& s) {
             focus_on(s, F::User);
             s.user_list_open = true;
         },
         {key(Key::Tab)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::Pass);
             EXPECT_FALSE(s.user_list_open);
         }},
        {"tab from password opens the user list",
         true,
         {},
         {key(Key::Tab)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::User);
             EXPECT_TRUE(s.user_list_open);
         }},
        {"tab from password, typed mode",
         false,
         [](LoginState& s) { focus_on(s, F::Pass); },
         {key(Key::Tab)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::User);
             EXPECT_FALSE(s.user_list_open);
         }},
        {"tab never reaches the language",
         true,
         {},
         {key(Key::Tab), key(Key::Tab), key(Key::Tab), key(Key::Tab)},
         [](const LoginState& s, O) { EXPECT_EQ(s.focus, F::Pass); }},
        {"tab from language",
         true,
         [](LoginState& s) {
             focus_on(s, F::Lang);
             s.lang_list_open = true;
         },
         {key(Key::Tab)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::Pass);
             EXPECT_FALSE(s.lang_list_open);
         }},
        {"backtab from password reaches the language",
         true,
         {},
         {key(Key::BackTab)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::Lang);
             EXPECT_TRUE(s.lang_list_open);
         }},
        {"backtab from language",
         true,
         [](LoginState& s) {
             focus_on(s, F::Lang);
             s.lang_list_open = true;
         },
         {key(Key::BackTab)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::User);
             EXPECT_TRUE(s.user_list_open);
             EXPECT_FALSE(s.lang_list_open);
         }},
        {"backtab from user",
         true,
         [](LoginState& s) { focus_on(s, F::User); },
         {key(Key::BackTab)},
         [](const LoginState& s, O) { EXPECT_EQ(s.focus, F::Pass); }},
        {"up from password",
         true,
         [](LoginState& s) { s.lang_list_open = true; },
         {key(Key::Up)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::User);
             EXPECT_TRUE(s.user_list_open);
             EXPECT_FALSE(s.lang_list_open);
         }},
        {"up from a typed user field opens the languages",
         false,
         {},
         {key(Key::Up)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::Lang);
             EXPECT_TRUE(s.lang_list_open);
         }},
        {"down on password does nothing",
         true,
         {},
         {key(Key::Down)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::Pass);
             EXPECT_FALSE(s.user_list_open);
         }},
        {"down in a typed user field does nothing",
         false,
         {},
         {key(Key::Down)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::User);
             EXPECT_FALSE(s.lang_list_open);
         }},
        {"enter on language, typed mode, then esc leaves",
         false,
         [](LoginState& s) {
             focus_on(s, F::Lang);
             s.lang_list_open = true;
         },
         {key(Key::Enter), key(Key::Esc)},
         [](const LoginState& s, O o) {
             EXPECT_EQ(s.focus, F::User);
             EXPECT_EQ(o, O::Leave);
         }},
    });
}

TEST(LoginKeys, UserListSelection) {
    run_rows({
        {"down moves and clears the password",
         true,
         [](LoginState& s) {
             focus_on(s, F::User);
             (void)s.password.append("pw");
         },
         {key(Key::Down)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.user_sel, 1u);
             EXPECT_TRUE(s.user_list_open);
             EXPECT_TRUE(s.password.empty());
         }},
        {"down stops on the other row",
         true,
         [](LoginState& s) { focus_on(s, F::User); },
         {key(Key::Down), key(Key::Down), key(Key::Down), key(Key::Down), key(Key::Down)},
         [](const LoginState& s, O) { EXPECT_EQ(s.user_sel, 3u); }},
        {"up at the top keeps the password",
         true,
         [](LoginState& s) {
             focus_on(s, F::User);
             (void)s.password.append("pw");
         },
         {key(Key::Up)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.user_sel, 0u);
             EXPECT_TRUE(s.user_list_open);
             EXPECT_EQ(s.password.view(), "pw");
         }},
        {"j and k move in the open list without clearing",
         true,
         [](LoginState& s) {
             focus_on(s, F::User);
             s.user_list_open = true;
             (void)s.password.append("pw");
         },
         {ch('j'), ch('j'), ch('k')},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.user_sel, 1u);
             EXPECT_EQ(s.password.view(), "pw");
         }},
        {"j with the list closed starts the password",
         true,
         [](LoginState& s) { focus_on(s, F::User); },
         {ch('j')},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::Pass);
             EXPECT_EQ(s.password.view(), "j");
         }},
        {"space toggles the user list",
         true,
         [](LoginState& s) { focus_on(s, F::User); },
         {ch(' ')},
         [](const LoginState& s, O) { EXPECT_TRUE(s.user_list_open); }},
        {"space twice closes it",
         true,
         [](LoginState& s) { focus_on(s, F::User); },
         {ch(' '), ch(' ')},
         [](const LoginState& s, O) { EXPECT_FALSE(s.user_list_open); }},
        {"enter on a listed user",
         true,
         [](LoginState& s) {
             focus_on(s, F::User);
             s.user_list_open = true;
         },
         {key(Key::Enter)},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::Pass);
             EXPECT_FALSE(s.user_list_open);
         }},
        {"enter on an empty other row stays",
         true,
         [](LoginState& s) {
             focus_on(s, F::User);
             s.user_sel = 3;
         },
         {key(Key::Enter)},
         [](const LoginState& s, O) { EXPECT_EQ(s.focus, F::User); }},
        {"enter on a blank typed name stays",
         false,
         [](LoginState& s) { s.typed_user = "  "; },
         {key(Key::Enter)},
         [](const LoginState& s, O) { EXPECT_EQ(s.focus, F::User); }},
    });
}

TEST(LoginKeys, TypingNamesAndPasswords) {
    run_rows({
        {"a letter on a listed user starts the password",
         true,
         [](LoginState& s) {
             focus_on(s, F::User);
             s.users = {"administrator"};
             s.user_list_open = true;
         },
         {ch('a')},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.focus, F::Pass);
             EXPECT_EQ(s.password.view(), "a");
             EXPECT_FALSE(s.user_list_open);
             EXPECT_TRUE(s.typed_user.empty());
         }},
        {"name characters",
         false,
         {},
         {ch('A'), ch('z'), ch('0'), ch('-'), ch('.'), ch('_')},
         [](const LoginState& s, O) { EXPECT_EQ(s.typed_user, "Az0-._"); }},
        {"other characters are not name characters",
         false,
         {},
         {ch(U'é'), ch(' '), ch('@'), ch('/')},
         [](const LoginState& s, O) { EXPECT_EQ(s.typed_user, ""); }},
        {"typing on the other row closes the list",
         true,
         [](LoginState& s) {
             focus_on(s, F::User);
             s.user_sel = 3;
             s.user_list_open = true;
         },
         {ch('x')},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.typed_user, "x");
             EXPECT_FALSE(s.user_list_open);
             EXPECT_EQ(current_username(s), "x");
         }},
        {"backspace edits the typed name",
         false,
         [](LoginState& s) { s.typed_user = "ab"; },
         {key(Key::Backspace)},
         [](const LoginState& s, O) { EXPECT_EQ(s.typed_user, "a"); }},
        {"backspace with a listed user does nothing",
         true,
         [](LoginState& s) {
             focus_on(s, F::User);
             s.typed_user = "ab";
         },
         {key(Key::Backspace)},
         [](const LoginState& s, O) { EXPECT_EQ(s.typed_user, "ab"); }},
        {"password takes any printable character",
         true,
         {},
         {ch(U'é'), ch(' '), ch('j'), ch('k'), ch(U'€')},
         [](const LoginState& s, O) { EXPECT_EQ(s.password.view(), "é jk€"); }},
        {"password drops control characters",
         true,
         {},
         {ch(0x01), ch(0x7F), ch(0x85), ch('x')},
         [](const LoginState& s, O) { EXPECT_EQ(s.password.view(), "x"); }},
        {"backspace removes a whole character",
         true,
         [](LoginState& s) { (void)s.password.append("aé"); },
         {key(Key::Backspace)},
         [](const LoginState& s, O) { EXPECT_EQ(s.password.view(), "a"); }},
        {"language field ignores characters",
         true,
         [](LoginState& s) { focus_on(s, F::Lang); },
         {ch('x'), key(Key::Backspace)},
         [](const LoginState& s, O) {
             EXPECT_TRUE(s.password.empty());
             EXPECT_TRUE(s.typed_user.empty());
         }},
        {"keys without a meaning",
         true,
         {},
         {key(Key::Left), key(Key::Right), key(Key::Delete), key(Key::Insert), key(Key::Home)},
         [](const LoginState& s, O o) {
             EXPECT_EQ(s.focus, F::Pass);
             EXPECT_EQ(o, O::Continue);
         }},
    });
}

TEST(LoginKeys, LimitsCountCharacters) {
    LoginState s = initial_login_state(start(false));
    const tmpl::LoginTemplate t = page(3, 2);
    for (char c : std::string("abcd")) {
        (void)handle_login_key(s, ch(static_cast<char32_t>(c)), t);
    }
    EXPECT_EQ(s.typed_user, "abc");
    s.focus = F::Pass;
    for (char32_t c : {U'é', U'ü', U'x'}) {
        (void)handle_login_key(s, ch(c), t);
    }
    EXPECT_EQ(s.password.view(), "éü");
}

TEST(LoginKeys, LanguageList) {
    auto lang_focus = [](LoginState& s) {
        focus_on(s, F::Lang);
        s.languages.clear();
        for (int i = 0; i < 20; ++i) {
            s.languages.push_back(lang(fmt::format("l{}", i), "L"));
        }
    };
    auto open = [&](LoginState& s) {
        lang_focus(s);
        s.lang_list_open = true;
    };
    run_rows({
        {"down opens and moves",
         true,
         lang_focus,
         {key(Key::Down)},
         [](const LoginState& s, O) {
             EXPECT_TRUE(s.lang_list_open);
             EXPECT_EQ(s.lang_sel, 1u);
         }},
        {"up stops at 0",
         true,
         lang_focus,
         {key(Key::Up)},
         [](const LoginState& s, O) {
             EXPECT_TRUE(s.lang_list_open);
             EXPECT_EQ(s.lang_sel, 0u);
         }},
        {"home and end only while open",
         true,
         lang_focus,
         {key(Key::End)},
         [](const LoginState& s, O) { EXPECT_EQ(s.lang_sel, 0u); }},
        {"end",
         true,
         open,
         {key(Key::End)},
         [](const LoginState& s, O) { EXPECT_EQ(s.lang_sel, 19u); }},
        {"end then home",
         true,
         open,
         {key(Key::End), key(Key::Home)},
         [](const LoginState& s, O) { EXPECT_EQ(s.lang_sel, 0u); }},
        {"page down by 8, stops at the end",
         true,
         open,
         {key(Key::PageDown), key(Key::PageDown), key(Key::PageDown)},
         [](const LoginState& s, O) { EXPECT_EQ(s.lang_sel, 19u); }},
        {"page up by 8",
         true,
         [&](LoginState& s) {
             open(s);
             s.lang_sel = 10;
         },
         {key(Key::PageUp)},
         [](const LoginState& s, O) { EXPECT_EQ(s.lang_sel, 2u); }},
        {"page keys need the list open",
         true,
         lang_focus,
         {key(Key::PageDown)},
         [](const LoginState& s, O) { EXPECT_EQ(s.lang_sel, 0u); }},
        {"out-of-range selection is clamped first",
         true,
         [&](LoginState& s) {
             open(s);
             s.lang_sel = 50;
         },
         {key(Key::Up)},
         [](const LoginState& s, O) { EXPECT_EQ(s.lang_sel, 18u); }},
        {"j and k while open",
         true,
         open,
         {ch('j'), ch('j'), ch('k')},
         [](const LoginState& s, O) { EXPECT_EQ(s.lang_sel, 1u); }},
        {"j while closed does nothing",
         true,
         lang_focus,
         {ch('j')},
         [](const LoginState& s, O) {
             EXPECT_EQ(s.lang_sel, 0u);
             EXPECT_FALSE(s.lang_list_open);
         }},
        {"space toggles",
         true,
         lang_focus,
         {ch(' ')},
         [](const LoginState& s, O) { EXPECT_TRUE(s.lang_list_open); }},
        {"request carries the selected tag",
         true,
         [&](LoginState& s) {
             open(s);
             s.lang_sel = 4;
         },
         {key(Key::Tab), key(Key::Enter)},
         [](const LoginState& s, O o) {
             EXPECT_EQ(o, O::Submit);
             EXPECT_EQ(login_request(s).language, "l4");
         }},
    });
}

TEST(LoginKeys, EscFirstClosesListsThenLeaves) {
    LoginState s = initial_login_state(start(true));
    s.user_list_open = true;
    s.lang_list_open = true;
    EXPECT_EQ(handle_login_key(s, key(Key::Esc), page()), O::Continue);
    EXPECT_FALSE(s.user_list_open);
    EXPECT_TRUE(s.lang_list_open);
    EXPECT_EQ(handle_login_key(s, key(Key::Esc), page()), O::Continue);
    EXPECT_FALSE(s.lang_list_open);
    EXPECT_EQ(handle_login_key(s, key(Key::Esc), page()), O::Leave);
    EXPECT_EQ(handle_login_key(s, f1(), page()), O::Diagnostics);
}

TEST(LoginKeys, Submit) {
    run_rows({
        {"listed user with an empty password is submitted",
         true,
         {},
         {key(Key::Enter)},
         [](const LoginState& s, O o) {
             EXPECT_EQ(o, O::Submit);
             const LoginRequest r = login_request(s);
             EXPECT_EQ(r.user, "alice");
             EXPECT_TRUE(r.password.empty());
             EXPECT_EQ(r.language, "en-US");
         }},
        {"other row with nothing typed goes back to the user field",
         true,
         [](LoginState& s) {
             s.user_sel = 3;
             s.user_list_open = true;
         },
         {key(Key::Enter)},
         [](const LoginState& s, O o) {
             EXPECT_EQ(o, O::Continue);
             EXPECT_EQ(s.focus, F::User);
             EXPECT_EQ(s.user_sel, 3u);
             EXPECT_TRUE(s.user_list_open);
         }},
        {"typed name is trimmed, password kept",
         false,
         [](LoginState& s) { s.typed_user = " carol "; },
         {key(Key::Enter), ch('p'), ch(' '), key(Key::Enter)},
         [](const LoginState& s, O o) {
             EXPECT_EQ(o, O::Submit);
             const LoginRequest r = login_request(s);
             EXPECT_EQ(r.user, "carol");
             EXPECT_EQ(r.password.view(), "p ");
         }},
        {"selection out of range carries en-US",
         true,
         [](LoginState& s) { s.lang_sel = 9; },
         {key(Key::Enter)},
         [](const LoginState& s, O o) {
             EXPECT_EQ(o, O::Submit);
             EXPECT_EQ(login_request(s).language, "en-US");
         }},
    });
}

TEST(LoginKeys, ErrorMode) {
    auto failed = [](LoginState& s) {
        s.failure = LoginFailure{};
        (void)s.password.append("old");
        s.focus = F::User;
        s.user_list_open = true;
    };
    for (const KeyEvent& k : {key(Key::Enter), key(Key::Esc), ch(' '), ch('o'), ch('O')}) {
        LoginState s = initial_login_state(start(true));
        failed(s);
        EXPECT_EQ(handle_login_key(s, k, page()), O::Continue);
        EXPECT_FALSE(s.failure.has_value());
        EXPECT_TRUE(s.password.empty());
        EXPECT_EQ(s.focus, F::Pass);
        EXPECT_FALSE(s.user_list_open || s.lang_list_open);
    }
    for (const KeyEvent& k :
         {key(Key::Tab), key(Key::Up), key(Key::Down), ch('x'), ch('a'), key(Key::Backspace)}) {
        LoginState s = initial_login_state(start(true));
        failed(s);
        EXPECT_EQ(handle_login_key(s, k, page()), O::Continue);
        EXPECT_TRUE(s.failure.has_value());
        EXPECT_EQ(s.password.view(), "old");
        EXPECT_EQ(s.focus, F::User);
        EXPECT_EQ(s.user_sel, 0u);
    }
    LoginState s = initial_login_state(start(true));
    failed(s);
    EXPECT_EQ(handle_login_key(s, f1(), page()), O::Diagnostics);
    EXPECT_TRUE(s.failure.has_value());
}

TEST(LoginKeys, OnlyPressesAct) {
    LoginState s = initial_login_state(start(true));
    KeyEvent release = ch('x');
    release.kind = KeyEventKind::Release;
    EXPECT_EQ(handle_login_key(s, release, page()), O::Continue);
    EXPECT_TRUE(s.password.empty());
}

// Ctrl-U, Ctrl-C or Alt-x at a password prompt is a shortcut to the person
// typing; taking it as the plain letter would put a "u" into the password.
TEST(LoginKeys, CharactersWithControlOrAltAreNeverTyped) {
    const struct {
        const char* name;
        bool list_mode;
        LoginFocus focus;
        char32_t c;
        KeyModifiers modifiers;
        std::string password;
        std::string typed_user;
    } cases[] = {
        {"Ctrl-U in the password", true, F::Pass, 'u', kControl, "", ""},
        {"Ctrl-C in the password", true, F::Pass, 'c', kControl, "", ""},
        {"Alt-x in the password", true, F::Pass, 'x', kAlt, "", ""},
        {"Ctrl-Alt-e in the password", true, F::Pass, U'é', kControl | kAlt, "", ""},
        {"Ctrl-a in a typed name", false, F::User, 'a', kControl, "", ""},
        {"Alt-b on a listed user does not start the password", true, F::User, 'b', kAlt, "", ""},
        {"Shift is typed", true, F::Pass, 'A', kShift, "A", ""},
        {"Shift in a typed name", false, F::User, 'Z', kShift, "", "Z"},
    };
    for (const auto& c : cases) {
        LoginState s = initial_login_state(start(c.list_mode));
        s.focus = c.focus;
        (void)handle_login_key(s, KeyEvent::character(c.c, c.modifiers), page());
        EXPECT_EQ(s.password.view(), c.password) << c.name;
        EXPECT_EQ(s.typed_user, c.typed_user) << c.name;
        EXPECT_EQ(s.focus, c.focus) << c.name;
    }

    // Moving through an open list still works with a modifier held.
    LoginState s = initial_login_state(start(true));
    s.focus = F::User;
    s.user_list_open = true;
    (void)handle_login_key(s, KeyEvent::character('j', kControl), page());
    EXPECT_EQ(s.user_sel, 1u);
    EXPECT_TRUE(s.password.empty());
}

}  // namespace
}  // namespace tarnwick::tui
