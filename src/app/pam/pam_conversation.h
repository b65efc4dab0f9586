#pragma once
// The conversation function handed to pam_start: it answers PAM's prompts
// from the credentials slot and never asks the user anything.

#include <security/pam_appl.h>

namespace tarnwick::app {

// Echo-off prompts get the password, echo-on prompts the user name, error and
// information messages a null response; any other style fails the whole call
// with PAM_CONV_ERR. Responses are malloc'd so PAM can free them.
int pam_conversation(int count, const struct pam_message** messages,
                     struct pam_response** responses_out, void* appdata);

}  // namespace tarnwick::app
