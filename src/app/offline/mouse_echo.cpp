#include "app/offline/mouse_echo.h"

#include "core/text.h"
#include "tui/kit/fd_backend.h"
#include "tui/term/event_reader.h"
#include "tui/term/terminal.h"

#include <fmt/format.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwick::app {
namespace {

constexpr int kExitOsErr = 71;  // EX_OSERR

using tui::IoError;
using Step = Result<void, IoError>;

// Why an existing file at the output path must be left alone, as an errno:
// not a regular file, another owner, or more than one name (a hard link in
// the world-writable /tmp would let the run truncate any file it can write,
// as root every file).
int refusal(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return EINVAL;
    if (st.st_uid != ::geteuid()) return EPERM;
    if (st.st_nlink > 1) return EMLINK;
    return 0;
}

// The output file: created, or its own file truncated; never through a
// symbolic link. Nothing is truncated before the checks.
Result<int, IoError> open_output(const std::string& path) {
    int fd = ::open(path.c_str(),
                    O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return fail(IoError{errno});
    struct stat st {};
    int err = ::fstat(fd, &st) != 0 ? errno : refusal(st);
    if (err == 0 && ::ftruncate(fd, 0) != 0) err = errno;
    if (err != 0) {
        ::close(fd);
        return fail(IoError{err});
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::string_view kind_name(const tui::MouseEvent& e) {
    using K = tui::MouseEventKind;
    using B = tui::MouseButton;
    if (e.kind == K::Down && e.button == B::Left) return "down_left";
    if (e.kind == K::Down && e.button == B::Right) return "down_right";
    if (e.kind == K::Up && e.button == B::Left) return "up_left";
    if (e.kind == K::ScrollDown) return "scroll_down";
    if (e.kind == K::ScrollUp) return "scroll_up";
    return "other";
}

bool is_esc_press(const tui::Event& event) {
    const auto* key = std::get_if<tui::KeyEvent>(&event);
    return key != nullptr && key->is_press() && key->code == tui::Key::Esc;
}

// Records mouse events until Esc or `max` of them; the number recorded.
Result<std::uint64_t, IoError> record_events(int file, std::uint64_t max) {
    std::uint64_t count = 0;
    while (count < max) {
        auto next = tui::poll_terminal_event(std::nullopt);
        if (!next) return fail(next.error());
        if (!*next) continue;  // an interrupted wait
        const tui::Event& event = **next;
        if (is_esc_press(event)) break;
        if (const auto* mouse = std::get_if<tui::MouseEvent>(&event)) {
            auto line = fmt::format("MOUSE kind={} col={} row={}\n", kind_name(*mouse),
                                    mouse->column, mouse->row);
            if (auto w = tui::write_all(file, line); !w) return fail(w.error());
            ++count;
        }
    }
    return count;
}

Result<std::uint64_t, IoError> echo(const std::string& path, std::uint64_t max, int& file) {
    tui::Backend& out = tui::standard_output();
    if (Step s = tui::enable_raw_mode(); !s) return fail(s.error());
    if (Step s = out.write(tui::kAlternateScreenOn); !s) return fail(s.error());
    if (Step s = out.write(tui::kMouseReportingOn); !s) return fail(s.error());
    if (Step s = out.flush(); !s) return fail(s.error());

    auto opened = open_output(path);
    if (!opened) return fail(opened.error());
    file = *opened;
    auto ready = fmt::format("MOUSE_ECHO_READY path={} max={}\n", decode_lossy(path), max);
    if (Step s = tui::write_all(file, ready); !s) return fail(s.error());

    auto count = record_events(file, max);
    if (!count) return count;

    if (Step s = out.write(tui::kMouseReportingOff); !s) return fail(s.error());
    if (Step s = out.write(tui::kAlternateScreenOff); !s) return fail(s.error());
    if (Step s = out.flush(); !s) return fail(s.error());
    if (Step s = tui::disable_raw_mode(); !s) return fail(s.error());

    if (Step s = tui::write_all(file, fmt::format("MOUSE_ECHO_DONE count={}\n", *count)); !s) {
        return fail(s.error());
    }
    return count;
}

}  // namespace

int run_mouse_echo(const std::string& path, std::uint64_t max) {
    int file = -1;
    auto count = echo(path, max, file);
    if (file >= 0) ::close(file);
    if (!count) {
        // The terminal modes stay as they are: the caller sees where it failed.
        (void)tui::write_all(STDERR_FILENO, fmt::format("ERROR: mouse-echo: {}\n",
                                                        tui::display_io_error(count.error())));
        return kExitOsErr;
    }
    (void)tui::write_all(
        STDOUT_FILENO, fmt::format("MOUSE_ECHO_OK count={} path={}\n", *count, decode_lossy(path)));
    return 0;
}

}  // namespace tarnwick::app
