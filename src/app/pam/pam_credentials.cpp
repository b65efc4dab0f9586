#include "app/pam/pam_credentials.h"

#include <utility>

namespace tarnwick::app {
namespace {

void wipe_and_release(std::optional<PamCredentials>& taken) {
    if (!taken) return;
    taken->password.clear();  // zeroes the bytes; the destructor frees the buffer
    taken.reset();
}

}  // namespace

void PamCredentialSlot::store(std::string user, SecretString password) {
    std::optional<PamCredentials> old;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        old.swap(pair_);
        pair_.emplace(PamCredentials{std::move(user), std::move(password)});
    }
    wipe_and_release(old);
}

PamCredentials PamCredentialSlot::copy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!pair_) return {};
    return PamCredentials{pair_->user, pair_->password.clone()};
}

void PamCredentialSlot::scrub() {
    std::optional<PamCredentials> taken;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        taken.swap(pair_);
    }
    wipe_and_release(taken);
}

bool PamCredentialSlot::holds_credentials() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pair_.has_value();
}

PamCredentialSlot& pam_credentials() {
    static PamCredentialSlot slot;
    return slot;
}

void scrub_credentials() {
    pam_credentials().scrub();
}

}  // namespace tarnwick::app
