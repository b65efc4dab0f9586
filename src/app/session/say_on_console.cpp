#include "app/session/say_on_console.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

#include <cerrno>

#include "core/text.h"

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
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    // The descriptor is shared with standard input: leave its mode as it was.
    if (made_nonblocking) (void)::fcntl(fd, F_SETFL, flags);
}

}  // namespace

std::string terminal_safe_line(std::string_view line) {
    const std::string text = decode_lossy(line);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t next = pos;
        const auto cp = next_code_point(text, next);
        if (!cp) {  // cannot happen after decode_lossy; never pass a raw byte on
            out += kReplacementChar;
            ++pos;
            continue;
        }
        if (is_control_char(*cp)) {
            out += fmt::format("\\u{{{:x}}}", static_cast<unsigned>(*cp));
        } else {
            out.append(text, pos, next - pos);
        }
        pos = next;
    }
    return out;
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
