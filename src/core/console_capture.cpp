#include "core/console_capture.h"

#include "core/console_log.h"
#include "core/text.h"
#include "core/unique_fd.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

namespace tarnwick {

struct StderrCapture::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t requested = 0;  // drain requests made; guarded by mutex
    std::uint64_t drained = 0;    // the last request served; guarded by mutex
    bool ended = false;           // guarded by mutex
    // One byte per drain request wakes the thread out of its poll.
    UniqueFd wake_read;
    UniqueFd wake_write;
};

namespace {

// What one capture has read and not yet logged: the unterminated rest.
class CapturedText {
public:
    // Each chunk is decoded on its own: a character split between two reads
    // becomes U+FFFD.
    void add(std::string_view chunk) {
        pending_ += decode_lossy(chunk);
        std::size_t start = 0;
        for (std::size_t lf; (lf = pending_.find('\n', start)) != std::string::npos;
             start = lf + 1) {
            push_line(std::string_view(pending_).substr(start, lf - start));
        }
        pending_.erase(0, start);
        if (pending_.size() >= kMaxPendingCapture) {
            push_line(pending_);
            pending_.clear();
        }
    }

    // The rest becomes a line of its own, trimmed and always stamped.
    void flush_rest() {
        const std::string_view rest = trim(pending_);
        if (!rest.empty()) push_console_line(stamp_console_line(rest));
        pending_.clear();
    }

private:
    // Empty lines are dropped; lines that already start with "[" keep their
    // own stamp.
    static void push_line(std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) return;
        if (line.front() == '[') {
            push_console_line(std::string(line));
        } else {
            push_console_line(stamp_console_line(line));
        }
    }

    std::string pending_;
};

// The most one drain reads: a writer that never stops cannot keep the
// thread (and the exit waiting for it) busy for ever.
constexpr std::size_t kMaxDrainBytes = 1024 * 1024;

// Reads from the non-blocking `fd` into `text` until the pipe is empty or
// `budget` bytes are taken. False at the end of input or on a read error.
bool read_available(int fd, CapturedText& text, std::size_t budget) {
    char buf[4096];
    std::size_t taken = 0;
    while (taken < budget) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            text.add(std::string_view(buf, static_cast<std::size_t>(n)));
            taken += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return true;
}

// The body of the capture thread: reads the pipe line by line into the
// console log until its input ends, then closes it; between two reads it
// serves the drain requests.
void run_capture(int read_fd, StderrCapture::State& state) {
    CapturedText text;
    for (bool open = true; open;) {
        pollfd fds[2] = {{read_fd, POLLIN, 0}, {state.wake_read.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        std::optional<std::uint64_t> request;
        if (fds[1].revents != 0) {
            char wakes[64];
            while (::read(state.wake_read.get(), wakes, sizeof wakes) > 0) {
            }
            // Every request counted by now wrote its lines before counting.
            const std::lock_guard lock(state.mutex);
            request = state.requested;
        }
        // One chunk per turn, as a blocking reader would take it; a drain
        // takes all there is.
        if (fds[0].revents != 0 || request) {
            open = read_available(read_fd, text, request ? kMaxDrainBytes : 1);
        }
        if (request) {
            text.flush_rest();
            {
                const std::lock_guard lock(state.mutex);
                state.drained = *request;
            }
            state.changed.notify_all();
        }
    }
    text.flush_rest();
    ::close(read_fd);
    {
        const std::lock_guard lock(state.mutex);
        state.ended = true;
    }
    state.changed.notify_all();
}

}  // namespace

bool StderrCapture::drain(std::chrono::milliseconds limit) const {
    State& state = *state_;
    std::unique_lock lock(state.mutex);
    if (state.ended) return true;
    const std::uint64_t request = ++state.requested;
    lock.unlock();
    // A full wake pipe already holds a wake-up the thread has yet to see.
    const char wake = 1;
    (void)!::write(state.wake_write.get(), &wake, 1);
    lock.lock();
    return state.changed.wait_for(lock, limit,
                                  [&] { return state.ended || state.drained >= request; });
}

Result<StderrCapture, int> start_stderr_capture_thread(int read_fd) {
    auto state = std::make_shared<StderrCapture::State>();
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return fail(errno);
    state->wake_read.reset(wake[0]);
    state->wake_write.reset(wake[1]);
    // Only the read end's own flags change: whoever writes into the pipe
    // still blocks when it is full.
    const int flags = ::fcntl(read_fd, F_GETFL);
    if (flags < 0 || ::fcntl(read_fd, F_SETFL, flags | O_NONBLOCK) != 0) return fail(errno);
    try {
        // The thread keeps the state alive for as long as it runs, also while
        // the process exits.
        std::thread([read_fd, state] {
            ::pthread_setname_np(::pthread_self(), "tarnwick-stderr");
            // Signals for the process are the main thread's to handle: a
            // stop signal must interrupt its waits, not this one's.
            sigset_t all;
            sigfillset(&all);
            (void)::pthread_sigmask(SIG_BLOCK, &all, nullptr);
            run_capture(read_fd, *state);
        }).detach();
    } catch (const std::system_error& e) {
        return fail(e.code().value());
    }
    return StderrCapture(std::move(state));
}

}  // namespace tarnwick
