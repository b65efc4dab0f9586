#pragma once
// The end of a signed-in session, whichever way it comes.

#include <string>

#include "app/pam/pam_session.h"

namespace tarnwick::app {

// Closes the PAM session (close-session, delete-credentials, end; its error
// is of no use to anyone by now), then takes the terminal back from every
// process the user left holding it, before the program exits or shows
// anything again.
void end_signed_in_session(PamSession&& pam, const std::string& tty_device);

}  // namespace tarnwick::app
