#include "tui/screens/login_state.h"

#include "core/administrator.h"
#include "core/text.h"

#include <algorithm>

namespace tarnwick::tui {

namespace {

constexpr std::string_view kDefaultTag = "en-US";
constexpr long kLanguagePage = 8;

// The keys the form tells apart. Modifiers only decide whether a character
// is typed into a field (text_input_char); for moving and toggling, Ctrl or
// Alt with a character acts as the plain character.
enum class Act {
    Tab,
    BackTab,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    Enter,
    Backspace,
    Esc,
    F1,
    Char,
    Other
};

struct Pressed {
    Act key = Act::Other;
    char32_t ch = 0;
    bool text = false;  // typed into the focused field
};

Pressed classify(const KeyEvent& event) {
    switch (event.code) {
        case Key::Tab:
            return {Act::Tab};
        case Key::BackTab:
            return {Act::BackTab};
        case Key::Up:
            return {Act::Up};
        case Key::Down:
            return {Act::Down};
        case Key::Home:
            return {Act::Home};
        case Key::End:
            return {Act::End};
        case Key::PageUp:
            return {Act::PageUp};
        case Key::PageDown:
            return {Act::PageDown};
        case Key::Enter:
            return {Act::Enter};
        case Key::Backspace:
            return {Act::Backspace};
        case Key::Esc:
            return {Act::Esc};
        case Key::F:
            return event.number == 1 ? Pressed{Act::F1} : Pressed{Act::Other};
        case Key::Char:
            return {Act::Char, event.ch, text_input_char(event).has_value()};
        default:
            return {Act::Other};
    }
}

bool is_name_char(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

void append_password_char(LoginState& state, char32_t c, std::size_t limit) {
    if (is_control_char(c) || state.password.char_count() >= limit) {
        return;
    }
    std::string utf8;
    append_utf8(utf8, c);
    state.password.append(utf8);
    secure_zero(utf8.data(), utf8.size());
}

void open_user_list_in_list_mode(LoginState& state) {
    if (state.list_mode) {
        state.user_list_open = true;
    }
}

void focus_user_from_other_field(LoginState& state) {
    state.lang_list_open = false;
    open_user_list_in_list_mode(state);
    state.focus = LoginFocus::User;
}

void type_user_char(LoginState& state, char32_t c, const tmpl::LoginTemplate& page) {
    if (!is_name_char(c)) {
        return;
    }
    state.user_list_open = false;
    if (state.listed_user_selected()) {
        // A name character with a listed user selected starts the password.
        state.focus = LoginFocus::Pass;
        append_password_char(state, c, page.password_max_length);
        return;
    }
    if (char_count(state.typed_user) < page.user_max_length) {
        append_utf8(state.typed_user, c);
    }
}

void type_char(LoginState& state, char32_t c, const tmpl::LoginTemplate& page) {
    switch (state.focus) {
        case LoginFocus::User:
            type_user_char(state, c, page);
            return;
        case LoginFocus::Pass:
            append_password_char(state, c, page.password_max_length);
            return;
        case LoginFocus::Lang:
            return;
    }
}

void pop_last_char(std::string& text) {
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text.back());
        text.pop_back();
        if ((byte & 0xC0) != 0x80) {
            break;
        }
    }
}

LoginKeyOutcome submit(LoginState& state) {
    if (current_username(state).empty()) {
        state.focus = LoginFocus::User;
        state.user_sel = state.users.size();
        return LoginKeyOutcome::Continue;
    }
    return LoginKeyOutcome::Submit;
}

LoginKeyOutcome user_key(LoginState& state, Pressed p, const tmpl::LoginTemplate& page) {
    switch (p.key) {
        case Act::Tab:
        case Act::BackTab:
            state.user_list_open = false;
            state.focus = LoginFocus::Pass;
            break;
        case Act::Up:
            if (state.list_mode) {
                state.user_list_open = true;
                step_user_selection(state, -1, true);
            } else {
                state.user_list_open = false;
                state.lang_list_open = true;
                state.focus = LoginFocus::Lang;
            }
            break;
        case Act::Down:
            if (state.list_mode) {
                state.user_list_open = true;
                step_user_selection(state, 1, true);
            }
            break;
        case Act::Enter:
            state.user_list_open = false;
            if (state.listed_user_selected() || !trim(state.typed_user).empty()) {
                state.focus = LoginFocus::Pass;
            }
            break;
        case Act::Backspace:
            if (!state.listed_user_selected()) {
                pop_last_char(state.typed_user);
            }
            break;
        case Act::Char:
            if (p.ch == U' ' && state.list_mode) {
                state.user_list_open = !state.user_list_open;
            } else if ((p.ch == U'j' || p.ch == U'k') && state.list_mode && state.user_list_open) {
                step_user_selection(state, p.ch == U'j' ? 1 : -1, false);
            } else if (p.text) {
                type_char(state, p.ch, page);
            }
            break;
        default:
            break;
    }
    return LoginKeyOutcome::Continue;
}

LoginKeyOutcome pass_key(LoginState& state, Pressed p, const tmpl::LoginTemplate& page) {
    switch (p.key) {
        case Act::Tab:
        case Act::Up:
            focus_user_from_other_field(state);
            break;
        case Act::BackTab:
            state.lang_list_open = true;
            state.focus = LoginFocus::Lang;
            break;
        case Act::Enter:
            return submit(state);
        case Act::Backspace:
            state.password.pop_char();
            break;
        case Act::Char:
            if (p.text) type_char(state, p.ch, page);
            break;
        default:
            break;
    }
    return LoginKeyOutcome::Continue;
}

LoginKeyOutcome lang_key(LoginState& state, Pressed p) {
    const bool open = state.lang_list_open;
    switch (p.key) {
        case Act::Tab:
            state.lang_list_open = false;
            state.focus = LoginFocus::Pass;
            break;
        case Act::BackTab:
        case Act::Enter:
            focus_user_from_other_field(state);
            break;
        case Act::Up:
            state.lang_list_open = true;
            step_language_selection(state, -1);
            break;
        case Act::Down:
            state.lang_list_open = true;
            step_language_selection(state, 1);
            break;
        case Act::Home:
            if (open) {
                state.lang_sel = 0;
            }
            break;
        case Act::End:
            if (open) {
                state.lang_sel = state.languages.empty() ? 0 : state.languages.size() - 1;
            }
            break;
        case Act::PageUp:
            if (open) {
                step_language_selection(state, -kLanguagePage);
            }
            break;
        case Act::PageDown:
            if (open) {
                step_language_selection(state, kLanguagePage);
            }
            break;
        case Act::Char:
            if (p.ch == U' ') {
                state.lang_list_open = !open;
            } else if ((p.ch == U'j' || p.ch == U'k') && open) {
                step_language_selection(state, p.ch == U'j' ? 1 : -1);
            }
            break;
        default:
            break;
    }
    return LoginKeyOutcome::Continue;
}

LoginKeyOutcome input_mode_key(LoginState& state, Pressed p, const tmpl::LoginTemplate& page) {
    if (p.key == Act::F1) {
        return LoginKeyOutcome::Diagnostics;
    }
    if (p.key == Act::Esc) {
        if (state.user_list_open) {
            state.user_list_open = false;
        } else if (state.lang_list_open) {
            state.lang_list_open = false;
        } else {
            return LoginKeyOutcome::Leave;
        }
        return LoginKeyOutcome::Continue;
    }
    switch (state.focus) {
        case LoginFocus::User:
            return user_key(state, p, page);
        case LoginFocus::Pass:
            return pass_key(state, p, page);
        case LoginFocus::Lang:
            return lang_key(state, p);
    }
    return LoginKeyOutcome::Continue;
}

LoginKeyOutcome error_mode_key(LoginState& state, Pressed p) {
    switch (p.key) {
        case Act::F1:
            return LoginKeyOutcome::Diagnostics;
        case Act::Enter:
        case Act::Esc:
            dismiss_login_error(state);
            break;
        case Act::Char:
            if (p.ch == U' ' || p.ch == U'o' || p.ch == U'O') {
                dismiss_login_error(state);
            }
            break;
        default:
            break;
    }
    return LoginKeyOutcome::Continue;
}

}  // namespace

LoginState initial_login_state(LoginStart start) {
    LoginState state;
    state.failure = std::move(start.failure);
    state.users = std::move(start.users);
    if (state.users.empty()) {
        state.users.emplace_back(kAdministratorLogin);
    }
    state.languages = std::move(start.languages);
    if (state.languages.empty()) {
        LocaleInfo english;
        english.tag = std::string(kDefaultTag);
        english.native_name = "English";
        state.languages.push_back(std::move(english));
    }
    const auto found =
        std::find_if(state.languages.begin(), state.languages.end(),
                     [&](const LocaleInfo& l) { return l.tag == start.current_tag; });
    state.lang_sel = found == state.languages.end()
                         ? 0
                         : static_cast<std::size_t>(found - state.languages.begin());
    state.addresses = std::move(start.addresses);
    state.attempts = start.attempts;
    state.list_mode = start.list_mode;
    state.tag = std::move(start.current_tag);

    const std::string preset = start.preset_user.value_or(std::string());
    if (state.list_mode) {
        const std::string_view name = trim(preset);
        const auto listed = std::find(state.users.begin(), state.users.end(), name);
        if (name.empty()) {
            state.user_sel = 0;
            state.focus = LoginFocus::Pass;
        } else if (listed != state.users.end()) {
            state.user_sel = static_cast<std::size_t>(listed - state.users.begin());
            state.focus = LoginFocus::Pass;
        } else {
            state.user_sel = state.users.size();
            state.typed_user = std::string(name);
            state.focus = LoginFocus::User;
        }
    } else {
        state.user_sel = state.users.size();
        state.typed_user = preset;
        state.focus = preset.empty() ? LoginFocus::User : LoginFocus::Pass;
    }
    return state;
}

std::string current_username(const LoginState& state) {
    if (state.listed_user_selected()) {
        return state.users[state.user_sel];
    }
    return std::string(trim(state.typed_user));
}

std::string selected_tag(const LoginState& state) {
    if (state.lang_sel < state.languages.size()) {
        return state.languages[state.lang_sel].tag;
    }
    return std::string(kDefaultTag);
}

LoginKeyOutcome handle_login_key(LoginState& state, const KeyEvent& key,
                                 const tmpl::LoginTemplate& page) {
    if (key.kind != KeyEventKind::Press) {
        return LoginKeyOutcome::Continue;
    }
    const Pressed p = classify(key);
    return state.failure ? error_mode_key(state, p) : input_mode_key(state, p, page);
}

LoginRequest login_request(const LoginState& state) {
    return LoginRequest{current_username(state), state.password.clone(), selected_tag(state)};
}

void dismiss_login_error(LoginState& state) {
    state.failure.reset();
    state.password.clear();
    state.focus = LoginFocus::Pass;
    state.user_list_open = false;
    state.lang_list_open = false;
}

void step_user_selection(LoginState& state, int delta, bool clear_password) {
    const std::size_t before = state.user_sel;
    if (delta > 0) {
        if (state.user_sel < state.users.size()) {
            ++state.user_sel;
        }
    } else if (state.user_sel > 0) {
        --state.user_sel;
    }
    if (clear_password && state.user_sel != before) {
        state.password.clear();
    }
}

void step_language_selection(LoginState& state, long delta) {
    const std::size_t n = state.languages.size();
    std::size_t sel = n == 0 ? 0 : std::min(state.lang_sel, n - 1);
    if (delta < 0) {
        const auto up = static_cast<std::size_t>(-delta);
        sel = sel > up ? sel - up : 0;
    } else if (n > 0) {
        sel = std::min(sel + static_cast<std::size_t>(delta), n - 1);
    }
    state.lang_sel = sel;
}

}  // namespace tarnwick::tui
