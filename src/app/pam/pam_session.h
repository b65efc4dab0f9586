#pragma once
// One wrapper per PAM step and the open transaction. Standard PAM calls only
// (Linux-PAM and OpenPAM alike). Every call runs on the main thread.

#include <security/pam_appl.h>

#include <string>
#include <string_view>

#include "app/pam/pam_error.h"
#include "core/result.h"

namespace tarnwick::app {

inline constexpr std::string_view kPamService = "tarnwick";

// The open transaction. Ended exactly once: close_pam_session at log-out,
// end_pam_handle on every other way out.
struct PamSession {
    std::string service;
    std::string user;
    pam_handle_t* handle = nullptr;
};

// pam_strerror's text for the status (lossily decoded); "pam error N" when
// PAM has none. The handle may be null.
std::string pam_message(pam_handle_t* handle, int status);
// The same rule on a text already fetched (null: no text).
std::string pam_message_text(const char* text, int status);

// pam_start of the service with the user and pam_conversation. Errors:
// InvalidCString for a NUL in the user, Start with PAM's text otherwise.
Result<PamSession, PamError> start_pam(std::string_view user);
// Sets PAM_TTY to the terminal label without one leading "/dev/". Errors:
// InvalidCString or Start.
Result<void, PamError> set_pam_tty(const PamSession& session, std::string_view terminal);

// pam_authenticate; on failure the credentials slot is scrubbed first.
Result<void, PamError> authenticate_user(pam_handle_t* handle);
// pam_acct_mgmt; when PAM wants a new password, pam_chauthtok of the expired
// one decides. Does not scrub.
Result<void, PamError> check_account(pam_handle_t* handle);
Result<void, PamError> establish_credentials(pam_handle_t* handle);
Result<void, PamError> open_pam_session(pam_handle_t* handle);

// Log-out: close the session, delete the credentials, end PAM, scrub. Never
// stops half-way; only pam_end's status is reported ("pam_end N").
Result<void, PamError> close_pam_session(PamSession&& session);
// Every other way out: scrub, then pam_end when a handle is left.
void end_pam_handle(PamSession& session);

}  // namespace tarnwick::app
