#include "app/cli.h"
#include "app/offline/check_config.h"
#include "app/offline/dry_run.h"
#include "app/offline/mouse_echo.h"
#include "app/session/console_session.h"
#include "app/session/say_on_console.h"
#include "app/session/stderr_capture.h"
#include "core/console_log.h"
#include "core/diagnostics.h"
#include "core/write_all.h"
#include "tui/mouse_smoke.h"
#include "tui/term/terminal.h"

#include <fmt/format.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace tarnwick::app {
namespace {

constexpr int kExitSoftware = 70;  // EX_SOFTWARE
constexpr int kExitNoPerm = 77;    // EX_NOPERM

// A closed standard descriptor would be taken by the next file we open, and
// our output would land in it; park /dev/null there instead.
void open_closed_standard_fds() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        const int opened = ::open("/dev/null", O_RDWR | O_NOCTTY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

int console_session_status(const Cli& cli) {
    const auto result = run_console_session(cli);
    if (result) return *result;
    // Logged before the terminal is touched: whatever the terminal does, the
    // reason is on record.
    tarnwick::log_console("tarnwick error: " + result.error());
    tarnwick::tui::restore_terminal();
    const std::string line =
        fmt::format("tarnwick error: {} (see {})", result.error(), tarnwick::kConsoleLogPath);
    if (::isatty(STDERR_FILENO)) {
        // Not captured yet (the error came first): a stopped terminal must
        // not keep the process.
        (void)tarnwick::write_all_within(STDERR_FILENO, line + "\n", tarnwick::kTerminalWriteLimit);
    } else {
        fmt::print(stderr, "{}\n", line);
    }
    // Standard error may be the capture by now: the operator reads it here.
    say_on_console(line);
    return kExitSoftware;
}

int run_normal_mode(const Cli& cli) {
    if (::geteuid() != 0) {
        fmt::print(stderr, "must be run as root\n");
        return kExitNoPerm;
    }
    const int status = console_session_status(cli);
    // Whichever way the session ended, its last words on standard error
    // (ours or a child's) reach the console log before the process is gone.
    finish_stderr_capture();
    return status;
}

int run(const Cli& cli) {
    if (cli.smoke_mouse) {
        const tarnwick::tui::SmokeReport report = tarnwick::tui::run_mouse_smoke_tests();
        for (const auto& line : report.lines) fmt::print("{}\n", line);
        std::fflush(stdout);
        return report.failed ? kExitSoftware : 0;
    }
    if (cli.mouse_echo) return run_mouse_echo(cli.mouse_echo_path, cli.mouse_echo_max);
    if (cli.check_config) return run_check_config(cli.config_dir);
    if (cli.screen_matrix) return run_screen_matrix(cli.config_dir, cli.locale);
    if (cli.dry_run) return run_dry_run(cli.config_dir, cli.user, cli.locale, cli.color);
    return run_normal_mode(cli);
}

}  // namespace
}  // namespace tarnwick::app

int main(int argc, char** argv) {
    tarnwick::app::open_closed_standard_fds();
    ::signal(SIGPIPE, SIG_IGN);
    const auto parsed = tarnwick::app::parse_cli(argc, argv);
    if (const int* status = std::get_if<int>(&parsed)) return *status;
    return tarnwick::app::run(std::get<tarnwick::app::Cli>(parsed));
}
