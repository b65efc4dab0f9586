#include "platform/shell_exec.h"

#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>

#include "platform/signals_ignored.h"
#include "platform/stop_signals.h"

namespace tarnwick::platform {
namespace {

// The foreground back to this process's group (SIGTTOU is ignored by now),
// and whatever was typed for the shell but not read by it thrown away.
void take_foreground_back() {
    (void)::tcsetpgrp(0, ::getpgrp());
    (void)::tcflush(0, TCIFLUSH);
}

SpawnRequest shell_request(const ShellLaunch& launch) {
    SpawnRequest request;
    // A path with a NUL byte cannot be passed on; the system shell stands in.
    const std::string path =
        launch.shell_path.find('\0') == std::string::npos ? launch.shell_path : "/bin/sh";
    request.files = {path};
    request.argv = {path};
    std::vector<std::string> env;
    for (const auto& [key, value] : launch.env) {
        std::string entry = key + "=" + value;
        if (entry.find('\0') == std::string::npos) env.push_back(std::move(entry));
    }
    request.env = std::move(env);
    // The shell's standard error is the console, never the capture pipe: a
    // prompt must be visible and the user's errors must not reach the root log.
    request.stdio = {-1, -1, 0};
    request.take_foreground = true;
    request.keep_sigpipe_ignored = true;
    request.identity = ChildIdentity{launch.user, launch.uid, launch.gid, launch.home};
    return request;
}

// Waits for the shell to end. A stopped shell is continued with the
// foreground given back. So is the rest of its process group, now and then:
// a shell without job control does not see its children stop, so a child
// caught by Ctrl-Z while the shell cannot stop itself (it waits, signals
// blocked, for a vfork child to run its program) would leave both waiting
// for good, and the console with them.
ExitStatus wait_keeping_group_running(pid_t pid) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kTick = std::chrono::milliseconds(100);
    constexpr auto kContinueEvery = std::chrono::seconds(1);
    sigset_t child, old;
    sigemptyset(&child);
    sigaddset(&child, SIGCHLD);
    ::pthread_sigmask(SIG_BLOCK, &child, &old);
    ExitStatus ended;
    auto last_continue = Clock::now();
    for (;;) {
        // The shell has been sent the stop signal; it may ignore it, and the
        // session must end either way (taking the terminal back cuts it off).
        if (stop_signal() != 0) break;
        int status = 0;
        const pid_t got = ::waitpid(pid, &status, WUNTRACED | WNOHANG);
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (got == 0) {
            // SIGCHLD may be taken by another thread: the tick bounds the wait.
            const timespec tick{0, std::chrono::nanoseconds(kTick).count()};
            (void)::sigtimedwait(&child, nullptr, &tick);  // woken or timed out: look again
            if (Clock::now() - last_continue >= kContinueEvery) {
                (void)::killpg(pid, SIGCONT);  // nothing stopped, nothing happens
                last_continue = Clock::now();
            }
            continue;
        }
        if (WIFSTOPPED(status)) {
            (void)::tcsetpgrp(0, pid);
            (void)::killpg(pid, SIGCONT);
            continue;
        }
        ended = ExitStatus::from_wait_status(status);
        break;
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ended;
}

}  // namespace

Result<ExitStatus, SpawnFailure> run_as_user_and_wait(const ShellLaunch& launch) {
    const SpawnRequest request = shell_request(launch);
    // The signals a terminal sends to its foreground group, and those that
    // stop a background group touching it: none of them may end or stop this
    // root process while the user's shell holds the terminal.
    const SignalsIgnored ignored{SIGINT, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU};
    (void)::tcflush(0, TCIFLUSH);
    auto pid = spawn_process(request);
    if (!pid) {
        take_foreground_back();
        return fail(pid.error());
    }
    ExitStatus ended;
    {
        // A hang-up or SIGTERM for the console goes on to the shell.
        const StopForwardedTo forwarded{*pid};
        ended = wait_keeping_group_running(*pid);
    }
    take_foreground_back();
    return ended;
}

std::string errno_name_and_text(int errnum) {
    switch (errnum) {
        case EAGAIN:
            return "EAGAIN: Try again";
        case ENOMEM:
            return "ENOMEM: Out of memory";
        case ENOSYS:
            return "ENOSYS: Function not implemented";
        case EPERM:
            return "EPERM: Operation not permitted";
        default:
            return "UnknownErrno: Unknown errno";
    }
}

}  // namespace tarnwick::platform
