#include "app/pam/pam_session.h"

#include <fmt/format.h>

#include "app/pam/pam_conversation.h"
#include "app/pam/pam_credentials.h"
#include "core/text.h"

namespace tarnwick::app {
namespace {

Result<void, PamError> check(pam_handle_t* handle, int status, PamErrorKind kind) {
    if (status == PAM_SUCCESS) return {};
    return fail(PamError{kind, pam_message(handle, status)});
}

}  // namespace

std::string pam_message_text(const char* text, int status) {
    if (text == nullptr) return fmt::format("pam error {}", status);
    return decode_lossy(text);
}

std::string pam_message(pam_handle_t* handle, int status) {
    return pam_message_text(pam_strerror(handle, status), status);
}

Result<PamSession, PamError> start_pam(std::string_view user) {
    if (auto error = nul_byte_error(user)) return fail(std::move(*error));
    static const struct pam_conv conversation = {pam_conversation, nullptr};
    PamSession session{std::string(kPamService), std::string(user), nullptr};
    const int status =
        pam_start(session.service.c_str(), session.user.c_str(), &conversation, &session.handle);
    if (status != PAM_SUCCESS) {
        // No usable handle after a failed start.
        return fail(PamError{PamErrorKind::Start, pam_message(nullptr, status)});
    }
    return session;
}

Result<void, PamError> set_pam_tty(const PamSession& session, std::string_view terminal) {
    if (terminal.substr(0, 5) == "/dev/") terminal.remove_prefix(5);
    if (auto error = nul_byte_error(terminal)) return fail(std::move(*error));
    const std::string item(terminal);
    return check(session.handle, pam_set_item(session.handle, PAM_TTY, item.c_str()),
                 PamErrorKind::Start);
}

Result<void, PamError> authenticate_user(pam_handle_t* handle) {
    const int status = pam_authenticate(handle, 0);
    if (status == PAM_SUCCESS) return {};
    scrub_credentials();
    return fail(PamError{PamErrorKind::Authenticate, pam_message(handle, status)});
}

Result<void, PamError> check_account(pam_handle_t* handle) {
    int status = pam_acct_mgmt(handle, 0);
    if (status == PAM_NEW_AUTHTOK_REQD) status = pam_chauthtok(handle, PAM_CHANGE_EXPIRED_AUTHTOK);
    return check(handle, status, PamErrorKind::AccountManagement);
}

Result<void, PamError> establish_credentials(pam_handle_t* handle) {
    return check(handle, pam_setcred(handle, PAM_ESTABLISH_CRED), PamErrorKind::Setcred);
}

Result<void, PamError> open_pam_session(pam_handle_t* handle) {
    return check(handle, pam_open_session(handle, 0), PamErrorKind::OpenSession);
}

Result<void, PamError> close_pam_session(PamSession&& session) {
    pam_handle_t* handle = session.handle;
    session.handle = nullptr;
    int status = PAM_SUCCESS;
    if (handle != nullptr) {
        (void)pam_close_session(handle, 0);
        (void)pam_setcred(handle, PAM_DELETE_CRED);
        status = pam_end(handle, 0);
    }
    scrub_credentials();
    if (status != PAM_SUCCESS)
        return fail(PamError{PamErrorKind::End, fmt::format("pam_end {}", status)});
    return {};
}

void end_pam_handle(PamSession& session) {
    scrub_credentials();
    if (session.handle != nullptr) {
        (void)pam_end(session.handle, 0);
        session.handle = nullptr;
    }
}

}  // namespace tarnwick::app
