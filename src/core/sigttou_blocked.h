#pragma once
// SIGTTOU blocked in the calling thread for a stretch of code: a process
// whose group is not (or no longer) the terminal's foreground one would be
// stopped by tcsetattr, tcsetpgrp or (with TOSTOP) a write; blocked, the call
// goes through instead.

#include <pthread.h>
#include <signal.h>

namespace tarnwick {

class SigttouBlocked {
public:
    SigttouBlocked() {
        sigset_t ttou;
        sigemptyset(&ttou);
        sigaddset(&ttou, SIGTTOU);
        ::pthread_sigmask(SIG_BLOCK, &ttou, &old_);
    }
    ~SigttouBlocked() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SigttouBlocked(const SigttouBlocked&) = delete;
    SigttouBlocked& operator=(const SigttouBlocked&) = delete;

private:
    sigset_t old_{};
};

}  // namespace tarnwick
