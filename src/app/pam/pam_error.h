#pragma once
// The error of the PAM layer: which step failed and PAM's text for it.

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::app {

enum class PamErrorKind {
    Start,              // pam_start or setting the terminal item
    Authenticate,       // authenticate_user
    AccountManagement,  // check_account
    Setcred,            // establish_credentials
    OpenSession,        // open_pam_session
    End,                // close_pam_session
    InvalidCString,     // a user or terminal name holding a NUL byte
};

struct PamError {
    PamErrorKind kind = PamErrorKind::Start;
    std::string text;
};

std::string display_pam_error(const PamError& error);

// "pam_open_session: " followed by the error's display.
std::string open_session_error_text(const PamError& error);

// InvalidCString for a text that cannot be handed to PAM as a C string,
// nothing when the text holds no NUL byte.
std::optional<PamError> nul_byte_error(std::string_view text);

}  // namespace tarnwick::app
