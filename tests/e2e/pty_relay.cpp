// Runs a program on a pseudo-terminal of its own inside this terminal, as
// script(1) does, for scripts/demo. The console hangs up every other
// descriptor of its terminal when it takes it over, so a window size set
// through a slave descriptor (script's way) never reaches it again. The size
// is set here on the master side, which the hang-up leaves alone.
//
//   tarnwick_pty_relay PROGRAM [ARGUMENTS...]
//
// Bytes pass both ways unchanged, with this terminal in raw mode meanwhile.
// SIGHUP, SIGINT, SIGQUIT and SIGTERM are passed on to the program. The relay
// ends once the program has ended and its last output is through, a second
// after its end at the latest: what it left behind on the terminal may write
// on, unseen. The exit
// status is the program's (128 + the signal when one ended it), 64 for a
// usage error, 71 when the pseudo-terminal cannot be had.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr int kExitUsage = 64;  // EX_USAGE
constexpr int kExitOsErr = 71;  // EX_OSERR
constexpr int kExecFailed = 127;
constexpr std::array kPassedOn = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};
// Once the program has ended, what it wrote last may still be on its way
// through the terminal; a grandchild holding the terminal must not keep the
// relay alive, so a quiet moment ends it too, and so does the end of the
// drain's time, however much a grandchild still writes.
constexpr int kDrainQuietMs = 200;
constexpr std::chrono::milliseconds kDrainLimit{1000};

int signal_pipe_write = -1;

void on_signal(int sig) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(sig);
    const ssize_t n = ::write(signal_pipe_write, &byte, 1);
    (void)n;  // a full pipe already holds a wake-up
    errno = saved;
}

// The handlers only wake the relay up through the pipe; `fds` gets its ends.
bool install_handlers(std::array<int, 2>& fds) {
    if (::pipe2(fds.data(), O_CLOEXEC | O_NONBLOCK) != 0) return false;
    signal_pipe_write = fds[1];
    struct sigaction action {};
    action.sa_handler = on_signal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int sig : {SIGWINCH, SIGCHLD}) {
        if (::sigaction(sig, &action, nullptr) != 0) return false;
    }
    for (const int sig : kPassedOn) {
        if (::sigaction(sig, &action, nullptr) != 0) return false;
    }
    return true;
}

// This terminal's settings while the relay runs, put back on every way out.
class RawMode {
public:
    explicit RawMode(const std::optional<termios>& saved) : saved_(saved) {
        if (!saved_) return;
        termios raw = *saved_;
        ::cfmakeraw(&raw);
        (void)::tcsetattr(STDIN_FILENO, TCSANOW, &raw);  // a terminal that refuses stays as it is
    }
    ~RawMode() {
        if (saved_) (void)::tcsetattr(STDIN_FILENO, TCSADRAIN, &*saved_);
    }
    RawMode(const RawMode&) = delete;
    RawMode& operator=(const RawMode&) = delete;

private:
    std::optional<termios> saved_;
};

// Writes everything to a blocking or non-blocking descriptor; false when it
// cannot be written any more.
bool write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n > 0) {
            data.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd out{fd, POLLOUT, 0};
            (void)::poll(&out, 1, -1);
            continue;
        }
        return false;
    }
    return true;
}

int status_of(int wait_status) {
    if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
    if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
    return kExitOsErr;
}

class Relay {
public:
    Relay(int master, pid_t child, int signals, bool terminal)
        : master_(master), child_(child), signals_(signals), terminal_(terminal) {}

    // Relays until the program has ended and its output is through; returns
    // its exit status.
    int run() {
        while (!done_) {
            std::array<pollfd, 3> fds{};
            fds[0] = {signals_, POLLIN, 0};
            fds[1] = {master_, static_cast<short>(POLLIN | (to_program_.empty() ? 0 : POLLOUT)), 0};
            // Input waits while the program has not taken the last of it.
            const bool want_input = input_open_ && to_program_.empty();
            fds[2] = {want_input ? STDIN_FILENO : -1, POLLIN, 0};
            int wait = -1;
            if (status_) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    drain_end_ - std::chrono::steady_clock::now());
                if (left.count() <= 0) break;  // the program's end is long enough ago
                wait = static_cast<int>(std::min<long long>(left.count(), kDrainQuietMs));
            }
            const int ready = ::poll(fds.data(), fds.size(), wait);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) break;  // quiet or over after the end, or poll itself failed
            if (fds[0].revents != 0) take_signals();
            if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) from_program();
            if ((fds[1].revents & POLLOUT) != 0) to_program();
            if (fds[2].revents != 0) from_input();
        }
        if (!status_) reap(true);
        return status_.value_or(kExitOsErr);
    }

private:
    void take_signals() {
        unsigned char sig = 0;
        while (::read(signals_, &sig, 1) == 1) {
            if (sig == SIGWINCH) {
                pass_size();
            } else if (sig == SIGCHLD) {
                reap(false);
            } else {
                (void)::kill(child_, sig);  // gone already: it is reaped next
            }
        }
    }

    void pass_size() {
        winsize size{};
        if (terminal_ && ::ioctl(STDIN_FILENO, TIOCGWINSZ, &size) == 0) {
            (void)::ioctl(master_, TIOCSWINSZ, &size);  // the program is gone if this fails
        }
    }

    void reap(bool block) {
        int wait_status = 0;
        pid_t got = 0;
        do {
            got = ::waitpid(child_, &wait_status, block ? 0 : WNOHANG);
        } while (got < 0 && errno == EINTR);
        if (got == child_) {
            status_ = status_of(wait_status);
            drain_end_ = std::chrono::steady_clock::now() + kDrainLimit;
        }
    }

    void from_program() {
        std::array<char, 65536> buf{};
        const ssize_t n = ::read(master_, buf.data(), buf.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
        if (n <= 0) {
            done_ = true;  // every descriptor of the program's terminal is closed
            return;
        }
        // Output nobody can see any more is still read, so the program never
        // blocks on its terminal.
        if (output_open_) {
            output_open_ = write_all(STDOUT_FILENO, {buf.data(), static_cast<std::size_t>(n)});
        }
    }

    void to_program() {
        const ssize_t n = ::write(master_, to_program_.data(), to_program_.size());
        if (n > 0) to_program_.erase(0, static_cast<std::size_t>(n));
        if (n < 0 && errno != EINTR && errno != EAGAIN) to_program_.clear();
    }

    void from_input() {
        std::array<char, 4096> buf{};
        const ssize_t n = ::read(STDIN_FILENO, buf.data(), buf.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
        if (n <= 0) {
            input_open_ = false;
            return;
        }
        to_program_.append(buf.data(), static_cast<std::size_t>(n));
        to_program();
    }

    int master_;
    pid_t child_;
    int signals_;
    bool terminal_;
    bool done_ = false;
    bool input_open_ = true;
    bool output_open_ = true;
    std::string to_program_;
    std::optional<int> status_;
    std::chrono::steady_clock::time_point drain_end_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarnwick_pty_relay PROGRAM [ARGUMENTS...]\n");
        return kExitUsage;
    }
    std::array<int, 2> signal_pipe{};
    if (!install_handlers(signal_pipe)) {
        std::fprintf(stderr, "tarnwick_pty_relay: signals: %s\n", std::strerror(errno));
        return kExitOsErr;
    }
    // Write failures show as errors, not as a signal that ends the relay.
    (void)::signal(SIGPIPE, SIG_IGN);

    std::optional<termios> saved;
    winsize size{};
    if (termios t{}; ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &t) == 0) saved = t;
    const bool terminal = saved.has_value() && ::ioctl(STDIN_FILENO, TIOCGWINSZ, &size) == 0;

    int master = -1;
    const pid_t child =
        ::forkpty(&master, nullptr, saved ? &*saved : nullptr, terminal ? &size : nullptr);
    if (child < 0) {
        std::fprintf(stderr, "tarnwick_pty_relay: forkpty: %s\n", std::strerror(errno));
        return kExitOsErr;
    }
    if (child == 0) {
        // What the relay changed; the rest is inherited as it came.
        (void)::signal(SIGPIPE, SIG_DFL);
        ::execvp(argv[1], argv + 1);
        std::fprintf(stderr, "tarnwick_pty_relay: %s: %s\n", argv[1], std::strerror(errno));
        ::_exit(kExecFailed);
    }
    (void)::fcntl(master, F_SETFD, FD_CLOEXEC);
    (void)::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    const RawMode raw(saved);
    Relay relay(master, child, signal_pipe[0], terminal);
    const int status = relay.run();
    ::close(master);
    return status;
}
