#pragma once
// The console's sign-in form: owns the terminal while shown and returns the
// typed request, nothing when the user leaves with Esc, or the I/O error.

#include "core/config.h"
#include "core/diagnostics.h"
#include "core/locale.h"
#include "core/result.h"
#include "template/login_page.h"
#include "tui/io_error.h"
#include "tui/kit/terminal.h"
#include "tui/screens/diagnostics_view.h"
#include "tui/screens/login_types.h"
#include "tui/term/screen_loop.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::tui {

// Builds the console-log snapshot when F1 is pressed (the session passes
// diagnostics_model bound to its catalog).
using DiagnosticsSnapshot = std::function<DiagnosticsModel()>;

struct LoginScreenArgs {
    AutoMode color = AutoMode::Auto;
    std::uint32_t attempts = 0;
    std::optional<LoginFailure> failure;
    std::vector<std::string> users;
    std::vector<std::string> addresses;
    std::vector<LocaleInfo> languages;
    std::string current_tag;
    std::string locales_dir;
    std::string fallback_tag;
    bool list_mode = true;
    std::optional<std::string> preset_user;
    DiagnosticsSnapshot diagnostics;
    tmpl::LoginTemplate page;
    std::string config_dir;  // first folder searched for welcome texts
};

using LoginResult = Result<std::optional<LoginRequest>, IoError>;

// The whole screen: terminal set-up, the form's turns, teardown. `io` and
// `diagnostics_events` are the program's terminal unless a caller passes others.
LoginResult login_screen(LoginScreenArgs args, const ScreenIo& io = ScreenIo{},
                         const EventSource& diagnostics_events = poll_terminal_event);

}  // namespace tarnwick::tui
