#include "core/write_all.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/sigttou_blocked.h"

namespace tarnwick {
namespace {

// Room is looked for this often as well as when poll reports it: a terminal
// may take a few bytes before it is writable in poll's sense.
constexpr std::chrono::milliseconds kRoomCheck{50};

Result<void, int> write_until(int fd, std::string_view data,
                              std::chrono::steady_clock::time_point deadline) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n > 0) {
            data.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) return fail(EIO);
        if (errno != EAGAIN && errno != EWOULDBLOCK) return fail(errno);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds::zero()) return fail(EAGAIN);
        pollfd room{fd, POLLOUT, 0};
        (void)::poll(&room, 1, static_cast<int>(std::min(left, kRoomCheck).count()));
    }
    return {};
}

}  // namespace

Result<void, int> write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        // A descriptor that takes nothing would be asked again for ever.
        if (n == 0) return fail(EIO);
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

Result<void, int> write_all_within(int fd, std::string_view data, std::chrono::milliseconds limit) {
    if (data.empty()) return {};
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) return fail(errno);
    const bool made_nonblocking = (flags & O_NONBLOCK) == 0;
    if (made_nonblocking && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return fail(errno);
    Result<void, int> written;
    {
        const SigttouBlocked blocked;
        written = write_until(fd, data, deadline);
    }
    if (made_nonblocking) (void)::fcntl(fd, F_SETFL, flags);
    return written;
}

}  // namespace tarnwick
