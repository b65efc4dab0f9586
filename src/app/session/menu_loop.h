#pragma once
// The signed-in user's session menu until log-out.

#include <string>

#include "app/session/login_loop.h"
#include "app/session/session_context.h"
#include "core/result.h"

namespace tarnwick::app {

// 0 after log-out; an error text when a screen's terminal fails. Either way
// the PAM session is closed and the terminal taken back before it returns.
Result<int, std::string> run_menu_loop(const SessionContext& ctx, LoginSuccess signed_in);

}  // namespace tarnwick::app
