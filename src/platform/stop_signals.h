#pragma once
// A hang-up (SIGHUP: the console line dropped) or SIGTERM, turned from the
// end of the process into a request the console acts on: the screens stop
// waiting for input and the wait for a shell ends, so that an open session is
// ended the normal way before the process exits.

#include <sys/types.h>

namespace tarnwick::platform {

// Catches SIGHUP and SIGTERM from now on (without SA_RESTART, so a blocking
// call returns EINTR); the handler only records the signal, wakes the pipe
// and passes the signal on to the group of a running shell.
void install_stop_signals();

// The signal that asked the process to stop, 0 while none has.
int stop_signal();

// A descriptor that becomes readable once a stop signal has arrived and stays
// so; -1 before install_stop_signals (or when no pipe could be made).
int stop_signal_fd();

// While an object lives, a stop signal is passed on to the process group
// `group` (with SIGHUP and SIGCONT, so that a stopped or SIGTERM-ignoring
// interactive shell ends too); one that came before the object is passed on
// at once.
class StopForwardedTo {
public:
    explicit StopForwardedTo(pid_t group);
    ~StopForwardedTo();
    StopForwardedTo(const StopForwardedTo&) = delete;
    StopForwardedTo& operator=(const StopForwardedTo&) = delete;
};

}  // namespace tarnwick::platform
