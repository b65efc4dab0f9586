#pragma once
// The process-wide slot from which the PAM conversation takes what the user
// typed. The conversation gets no application data, hence a global. The lock
// is held only while storing, copying or taking out the pair, never across a
// PAM call (the conversation runs inside PAM calls).

#include <mutex>
#include <optional>
#include <string>

#include "core/secret_string.h"

namespace tarnwick::app {

struct PamCredentials {
    std::string user;  // the PAM user name
    SecretString password;
};

class PamCredentialSlot {
public:
    // Replaces any earlier pair (the earlier password is wiped).
    void store(std::string user, SecretString password);
    // The conversation's own copy; empty texts when the slot is empty.
    PamCredentials copy() const;
    // Takes the pair out, zeroes the password's bytes, then releases both.
    // Does nothing when the slot is empty.
    void scrub();
    bool holds_credentials() const;

private:
    mutable std::mutex mutex_;
    std::optional<PamCredentials> pair_;
};

// The slot shared by the login loop and the conversation.
PamCredentialSlot& pam_credentials();

// pam_credentials().scrub().
void scrub_credentials();

}  // namespace tarnwick::app
