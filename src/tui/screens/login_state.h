#pragma once
// The login form as pure state: start values, the key maps of input and
// error mode, and the small edits the mouse shares with them. No terminal.

#include "core/locale.h"
#include "core/secret_string.h"
#include "template/login_page.h"
#include "tui/screens/login_types.h"
#include "tui/term/event.h"
#include "tui/welcome/markup.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tui {

struct LoginState {
    std::optional<LoginFailure> failure;  // present: the error box is shown
    std::string typed_user;
    SecretString password;
    std::vector<std::string> users;
    std::vector<LocaleInfo> languages;
    std::vector<std::vector<MarkupSpan>> welcome;
    std::string tag;  // the tag whose welcome text is loaded
    std::vector<std::string> addresses;
    std::size_t user_sel = 0;  // users.size() is the "other" row
    std::size_t lang_sel = 0;
    std::uint32_t attempts = 0;
    bool user_list_open = false;
    bool lang_list_open = false;
    bool list_mode = true;
    LoginFocus focus = LoginFocus::User;

    bool listed_user_selected() const { return list_mode && user_sel < users.size(); }
};

// What the screen is started with; the welcome text is loaded by the screen.
struct LoginStart {
    std::uint32_t attempts = 0;
    std::optional<LoginFailure> failure;
    std::vector<std::string> users;
    std::vector<std::string> addresses;
    std::vector<LocaleInfo> languages;
    std::string current_tag;
    bool list_mode = true;
    std::optional<std::string> preset_user;
};

LoginState initial_login_state(LoginStart start);

// The listed name when one is selected in list mode, else the trimmed typed name.
std::string current_username(const LoginState& state);

// The tag of the selected language, "en-US" when the selection is out of range.
std::string selected_tag(const LoginState& state);

// What a key asks of the screen beyond the state change it made.
enum class LoginKeyOutcome { Continue, Submit, Leave, Diagnostics };

LoginKeyOutcome handle_login_key(LoginState& state, const KeyEvent& key,
                                 const tmpl::LoginTemplate& page);

// The request of a submit: the current name, a copy of the password, the tag.
LoginRequest login_request(const LoginState& state);

// Error box dismissal: failure gone, password cleared, focus on the password,
// both drop-downs closed.
void dismiss_login_error(LoginState& state);

// Moves the user selection one row (down when delta > 0); the password is
// cleared when the selection moved and `clear_password` is set.
void step_user_selection(LoginState& state, int delta, bool clear_password);

// Moves the language selection by delta rows, clamped to the list.
void step_language_selection(LoginState& state, long delta);

}  // namespace tarnwick::tui
