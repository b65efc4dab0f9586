#include "app/session/say_on_console.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/console_log.h"
#include "core/write_all.h"

namespace tarnwick::app {
namespace {

bool same_terminal(int a, int b) {
    struct stat sa {};
    struct stat sb {};
    return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && S_ISCHR(sa.st_mode) &&
           S_ISCHR(sb.st_mode) && sa.st_rdev == sb.st_rdev;
}

// Writes what the terminal takes at once. The process is about to end: a
// terminal that stopped its output (or a group that lost the foreground)
// must not keep it, and init, waiting.
void write_without_waiting(int fd, std::string_view bytes) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) return;
    const bool made_nonblocking = (flags & O_NONBLOCK) == 0;
    if (made_nonblocking && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return;
    // Blocked, SIGTTOU lets the write through instead of stopping the process.
    sigset_t ttou;
    sigset_t old;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    ::pthread_sigmask(SIG_BLOCK, &ttou, &old);
    // What the terminal does not take at once is dropped.
    (void)write_all(fd, bytes);
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    // The descriptor is shared with standard input: leave its mode as it was.
    if (made_nonblocking) (void)::fcntl(fd, F_SETFL, flags);
}

}  // namespace

std::string terminal_safe_line(std::string_view line) {
    return escape_console_log_line(line);
}

void say_on_console(std::string_view line) {
    say_on_terminal(STDOUT_FILENO, STDERR_FILENO, line);
}

void say_on_terminal(int terminal_fd, int stderr_fd, std::string_view line) {
    if (!::isatty(terminal_fd) || same_terminal(terminal_fd, stderr_fd)) return;
    // CR LF: the next line starts at column 0 even with output processing off.
    write_without_waiting(terminal_fd, terminal_safe_line(line) + "\r\n");
}

}  // namespace tarnwick::app
