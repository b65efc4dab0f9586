#include "app/session/say_on_console.h"

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
    // The process is about to end: a terminal that stopped its output (or a
    // group that lost the foreground) must not keep it, and init, waiting.
    (void)write_all_within(terminal_fd, terminal_safe_line(line) + "\r\n", kTerminalWriteLimit);
}

}  // namespace tarnwick::app
