#include "tui/term/terminal.h"

#include "core/sigttou_blocked.h"
#include "core/write_all.h"
#include "tui/kit/fd_backend.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace tarnwick::tui {
namespace {

// The settings before raw mode, present while raw mode is on.
std::optional<termios>& saved_settings() {
    static std::optional<termios> saved;
    return saved;
}

void make_raw(termios& t) {
    t.c_iflag &=
        ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    t.c_cflag |= CS8;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

// Each step of a sequence list: stop at the first failure.
IoResult write_then_flush(Backend& out, std::string_view bytes) {
    if (auto r = out.write(bytes); !r) return r;
    return out.flush();
}

}  // namespace

Backend& standard_output() {
    static FdBackend out(STDOUT_FILENO);
    return out;
}

int terminal_input_fd() {
    if (::isatty(STDIN_FILENO)) return STDIN_FILENO;
    static int tty = -1;
    if (tty < 0) tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    return tty;
}

IoResult enable_raw_mode() {
    auto& saved = saved_settings();
    if (saved) return {};
    int fd = terminal_input_fd();
    if (fd < 0) return fail(IoError{errno});
    termios current{};
    if (::tcgetattr(fd, &current) != 0) return fail(IoError{errno});
    termios raw = current;
    make_raw(raw);
    if (::tcsetattr(fd, TCSANOW, &raw) != 0) return fail(IoError{errno});
    saved = current;
    return {};
}

IoResult disable_raw_mode() {
    auto& saved = saved_settings();
    if (!saved) return {};
    int fd = terminal_input_fd();
    if (fd < 0) return fail(IoError{errno});
    if (::tcsetattr(fd, TCSANOW, &*saved) != 0) return fail(IoError{errno});
    saved.reset();
    return {};
}

bool is_raw_mode_enabled() {
    return saved_settings().has_value();
}

IoResult clear_screen(Backend& out) {
    for (std::string_view step : {"\x1b[2J", "\x1b[3J", "\x1b[1;1H", "\x1b[?25l"}) {
        if (auto r = out.write(step); !r) return r;
    }
    if (auto r = out.flush(); !r) return r;
    // A last reset to a black background; the screen is usable without it.
    (void)out.write("\x1b[2J\x1b[3J\x1b[H\x1b[0m\x1b[40m");
    return out.flush();
}

IoResult enter_tui(Backend& out) {
    if (auto r = enable_raw_mode(); !r) return r;
    if (auto r = clear_screen(out); !r) return r;
    if (auto r = out.write(kAlternateScreenOn); !r) return r;
    if (auto r = write_then_flush(out, kMouseReportingOn); !r) return r;
    return clear_screen(out);
}

IoResult leave_tui(Backend& out) {
    if (auto r = disable_raw_mode(); !r) return r;
    if (auto r = out.write(kMouseReportingOff); !r) return r;
    if (auto r = write_then_flush(out, kAlternateScreenOff); !r) return r;
    return write_then_flush(out, "\x1b[?25h");
}

void restore_terminal() {
    // Standard output's own backend would wait as long as the output is
    // stopped; the process may be on its way out, and init waits for it.
    static FdBackend out(STDOUT_FILENO, kTerminalWriteLimit);
    restore_terminal(out);
}

void restore_terminal(Backend& out) {
    {
        // From the background, tcsetattr would stop the process.
        const SigttouBlocked blocked;
        (void)disable_raw_mode();
    }
    for (std::string_view step :
         {kMouseReportingOff, kAlternateScreenOff, std::string_view("\x1b[2J"),
          std::string_view("\x1b[1;1H"), std::string_view("\x1b[?25h")}) {
        if (!out.write(step)) break;
    }
    (void)out.flush();
}

}  // namespace tarnwick::tui
