#pragma once
// Up to three sign-in attempts through the login screen and PAM.

#include <string>
#include <variant>

#include "app/pam/pam_session.h"
#include "app/session/session_context.h"
#include "core/catalog.h"
#include "core/result.h"

namespace tarnwick::app {

struct LoginSuccess {
    SignedIn user;
    Catalog catalog;  // the session catalog of the chosen language
    PamSession pam;
};

// A signed-in user, an exit status (0 when the screen was left, 77 after the
// third failure), or a terminal error text.
Result<std::variant<int, LoginSuccess>, std::string> run_login_loop(SessionContext& ctx);

}  // namespace tarnwick::app
