#include "tui/kit/fd_backend.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "core/write_all.h"

namespace tarnwick::tui {
namespace {

bool window_size(int fd, Size& out) {
    winsize ws{};
    if (::ioctl(fd, TIOCGWINSZ, &ws) != 0) return false;
    out = {ws.ws_col, ws.ws_row};
    return true;
}

}  // namespace

Result<void, IoError> write_all(int fd, std::string_view bytes) {
    return tarnwick::write_all(fd, bytes).map_error([](int e) { return IoError{e}; });
}

Result<Size, IoError> FdBackend::size() {
    Size size;
    int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty >= 0) {
        bool ok = window_size(tty, size);
        ::close(tty);
        if (ok) return size;
    }
    if (window_size(fd_, size)) return size;
    return fail(IoError{errno});
}

Result<void, IoError> FdBackend::write(std::string_view bytes) {
    pending_.append(bytes);
    return {};
}

Result<void, IoError> FdBackend::flush() {
    std::string out;
    out.swap(pending_);
    if (limit_ && ::isatty(fd_)) {
        return tarnwick::write_all_within(fd_, out, *limit_).map_error([](int e) {
            return IoError{e};
        });
    }
    return write_all(fd_, out);
}

}  // namespace tarnwick::tui
