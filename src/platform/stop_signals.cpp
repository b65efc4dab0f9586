#include "platform/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace tarnwick::platform {
namespace {

volatile sig_atomic_t g_stop_signal = 0;
volatile sig_atomic_t g_forward_group = 0;
int g_pipe_read = -1;
int g_pipe_write = -1;

// Only async-signal-safe calls: kill and write.
void forward(pid_t group, int sig) {
    (void)::kill(-group, sig);
    if (sig != SIGHUP) (void)::kill(-group, SIGHUP);
    (void)::kill(-group, SIGCONT);
}

extern "C" void on_stop(int sig) {
    const int saved = errno;
    if (g_stop_signal == 0) g_stop_signal = sig;
    if (g_pipe_write >= 0) {
        const char b = 1;
        (void)!::write(g_pipe_write, &b, 1);
    }
    if (const pid_t group = static_cast<pid_t>(g_forward_group); group > 0) forward(group, sig);
    errno = saved;
}

}  // namespace

void install_stop_signals() {
    if (g_pipe_read < 0) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
            g_pipe_read = fds[0];
            g_pipe_write = fds[1];
        }
    }
    struct sigaction sa {};
    sa.sa_handler = on_stop;
    sigemptyset(&sa.sa_mask);
    sigaddset(&sa.sa_mask, SIGHUP);
    sigaddset(&sa.sa_mask, SIGTERM);
    sa.sa_flags = 0;
    for (const int sig : {SIGHUP, SIGTERM}) (void)::sigaction(sig, &sa, nullptr);
}

int stop_signal() {
    return static_cast<int>(g_stop_signal);
}

int stop_signal_fd() {
    return g_pipe_read;
}

StopForwardedTo::StopForwardedTo(pid_t group) {
    g_forward_group = static_cast<sig_atomic_t>(group);
    // A signal that came before the group was known.
    if (const int sig = stop_signal(); sig != 0 && group > 0) forward(group, sig);
}

StopForwardedTo::~StopForwardedTo() {
    g_forward_group = 0;
}

}  // namespace tarnwick::platform
