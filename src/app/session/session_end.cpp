#include "app/session/session_end.h"

#include "core/console_log.h"
#include "platform/terminal_claim.h"

namespace tarnwick::app {

void end_signed_in_session(PamSession&& pam, const std::string& tty_device) {
    (void)close_pam_session(std::move(pam));  // nothing is left to do about a failed close
    if (auto taken = platform::claim_terminal(tty_device); !taken) {
        log_console("terminal not taken back at the end of the session: " + taken.error());
    }
}

}  // namespace tarnwick::app
