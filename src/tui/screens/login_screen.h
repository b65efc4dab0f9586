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
#include "tui/screens/login_state.h"
#include "tui/screens/login_types.h"
#include "tui/term/screen_loop.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::tui {

struct LoginScreenArgs {
    AutoMode color = AutoMode::Auto;
    // Attempts number, last failure, users, addresses, languages, current
    // tag, list mode and preset name.
    LoginStart form;
    std::string locales_dir;
    std::string fallback_tag;  // the configuration's locale fallback
    DiagnosticsProvider diagnostics;
    tmpl::LoginTemplate page;
    std::string config_dir;  // first folder searched for welcome texts
};

using LoginResult = Result<std::optional<LoginRequest>, IoError>;

// The whole screen: terminal set-up, the form's turns, teardown. `io` and
// `diagnostics_events` are the program's terminal unless a caller passes others.
LoginResult login_screen(LoginScreenArgs args, const ScreenIo& io = ScreenIo{},
                         const EventSource& diagnostics_events = poll_terminal_event);

}  // namespace tarnwick::tui
