#include "tui/term/event_reader.h"

#include "platform/stop_signals.h"
#include "tui/kit/fd_backend.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace tarnwick::tui {
namespace {

using Clock = std::chrono::steady_clock;

int g_winch_write = -1;

extern "C" void on_winch(int) {
    int saved = errno;
    if (g_winch_write >= 0) {
        char b = 1;
        (void)!::write(g_winch_write, &b, 1);
    }
    errno = saved;
}

// The read end of the SIGWINCH self-pipe, installed on first use; -1 when
// the pipe cannot be made (resizes then reach screens through their size check).
int winch_pipe() {
    static int read_end = [] {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
        g_winch_write = fds[1];
        struct sigaction sa {};
        sa.sa_handler = on_winch;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        if (::sigaction(SIGWINCH, &sa, nullptr) != 0) {
            ::close(fds[0]);
            ::close(fds[1]);
            g_winch_write = -1;
            return -1;
        }
        return fds[0];
    }();
    return read_end;
}

void drain(int fd) {
    char buf[64];
    while (::read(fd, buf, sizeof buf) > 0) {
    }
}

int poll_ms(std::optional<Clock::time_point> deadline) {
    if (!deadline) return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

std::optional<Size> screen_size() {
    FdBackend out(STDOUT_FILENO);
    auto s = out.size();
    if (!s) return std::nullopt;
    return *s;
}

EventReader::EventReader(int input_fd, SizeQuery size) : fd_(input_fd), size_(std::move(size)) {}

std::optional<Event> EventReader::take() {
    if (resize_) {
        ResizeEvent r = *resize_;
        resize_.reset();
        return Event{std::in_place_type<ResizeEvent>, r};
    }
    return decoder_.pop();
}

Result<void, IoError> EventReader::read_input() {
    char buf[kReadSize];
    while (true) {
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return {};
            return fail(IoError{errno});
        }
        if (n == 0) return fail(IoError{EIO});
        decoder_.feed(std::string_view(buf, static_cast<std::size_t>(n)));
        return {};
    }
}

void EventReader::complete_sequence() {
    while (decoder_.pending()) {
        pollfd p{fd_, POLLIN, 0};
        auto until = Clock::now() + kSequenceWait;
        int rc;
        do {
            rc = ::poll(&p, 1, poll_ms(until));
        } while (rc < 0 && errno == EINTR);
        if (rc <= 0 || !read_input()) break;
    }
    decoder_.finish();
}

EventResult EventReader::poll_event(std::optional<std::chrono::milliseconds> timeout) {
    std::optional<Clock::time_point> deadline;
    if (timeout) deadline = Clock::now() + *timeout;
    int winch = winch_pipe();
    while (true) {
        // A stop signal ends every screen, whatever input is still queued.
        if (platform::stop_signal() != 0) return fail(IoError{EINTR});
        if (auto e = take()) return e;
        // Unused slots are skipped by poll (negative descriptors).
        pollfd fds[3] = {
            {fd_, POLLIN, 0}, {winch, POLLIN, 0}, {platform::stop_signal_fd(), POLLIN, 0}};
        int rc = ::poll(fds, 3, poll_ms(deadline));
        if (rc < 0) {
            if (errno != EINTR) return fail(IoError{errno});
            if (platform::stop_signal() != 0) return fail(IoError{EINTR});
            return std::optional<Event>{};
        }
        if (rc == 0) return std::optional<Event>{};
        if (fds[2].revents != 0) continue;  // the stop is reported above
        if (winch >= 0 && (fds[1].revents & POLLIN)) {
            drain(winch);
            if (auto s = size_ ? size_() : std::nullopt) resize_ = ResizeEvent{s->width, s->height};
        }
        if (fds[0].revents & POLLNVAL) return fail(IoError{EBADF});
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (auto r = read_input(); !r) return fail(r.error());
            if (decoder_.pending()) complete_sequence();
        }
    }
}

EventResult poll_terminal_event(std::optional<std::chrono::milliseconds> timeout) {
    static int fd = terminal_input_fd();
    static int open_errno = fd < 0 ? errno : 0;
    if (fd < 0) return fail(IoError{open_errno});
    static EventReader reader(fd);
    return reader.poll_event(timeout);
}

}  // namespace tarnwick::tui
