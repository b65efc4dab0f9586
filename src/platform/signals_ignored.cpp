#include "platform/signals_ignored.h"

namespace tarnwick::platform {

SignalsIgnored::SignalsIgnored(std::initializer_list<int> signals) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (const int sig : signals) {
        struct sigaction before {};
        if (::sigaction(sig, &ignore, &before) == 0) saved_.emplace_back(sig, before);
    }
}

SignalsIgnored::~SignalsIgnored() {
    for (const auto& [sig, before] : saved_) (void)::sigaction(sig, &before, nullptr);
}

}  // namespace tarnwick::platform
