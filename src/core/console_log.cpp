#include "core/console_log.h"

#include "core/console_log_internal.h"
#include "core/diagnostics.h"
#include "core/text.h"
#include "core/write_all.h"

#include <fmt/format.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <deque>
#include <mutex>
#include <optional>

namespace tarnwick {
namespace {

// The detached capture thread may still be logging while the process exits,
// so this state is never destroyed.
struct LogState {
    std::mutex ring_mutex;
    std::deque<std::string> ring;  // guarded by ring_mutex
    std::mutex path_mutex;
    std::string path{kConsoleLogPath};  // guarded by path_mutex
};

LogState& state() {
    static LogState* const s = new LogState;
    return *s;
}

}  // namespace

namespace console_log_internal {

void set_console_log_path(std::string path) {
    LogState& s = state();
    const std::lock_guard lock(s.path_mutex);
    s.path = std::move(path);
}

std::string console_log_path() {
    LogState& s = state();
    const std::lock_guard lock(s.path_mutex);
    return s.path;
}

}  // namespace console_log_internal

std::string stamp_console_line(std::string_view text) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long seconds = now.tv_sec < 0 ? 0 : static_cast<long long>(now.tv_sec);
    return fmt::format("[{}] {}", seconds, text);
}

void log_console(std::string message) {
    log_console_str(message);
}

void log_console_str(std::string_view message) {
    // Messages can quote bytes from the system; trimming and the ring take
    // UTF-8 text.
    const std::string text = decode_lossy(message);
    push_console_line(stamp_console_line(trim_end(text)));
}

void push_console_line(std::string line) {
    {
        LogState& s = state();
        const std::lock_guard lock(s.ring_mutex);
        if (s.ring.size() >= CONSOLE_RING_CAPACITY) s.ring.pop_front();
        s.ring.push_back(line);
    }
    // The ring keeps the line for the diagnostics view; a log file that
    // cannot be written has nowhere else to be reported.
    (void)append_console_log_file(line);
}

Result<void, int> append_console_log_file(std::string_view line) {
    return append_console_log_file(console_log_internal::console_log_path(), line);
}

Result<void, int> append_console_log_file(const std::string& path, std::string_view line) {
    // Non-blocking and regular files only: a FIFO or a device put at the
    // path must not hang the console or receive the log.
    const int fd = ::open(
        path.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK, 0600);
    if (fd < 0) return fail(errno);
    struct stat st {};
    const int refused = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
    if (refused != 0) {
        ::close(fd);
        return fail(refused);
    }
    // One write per line, so appends of the two threads never interleave.
    std::string data = escape_console_log_line(line);
    data += '\n';
    auto written = write_all(fd, data);
    ::close(fd);
    return written;
}

// Captured standard error carries whatever a module or a command wrote,
// escape sequences included; backslashes are doubled so that the file's
// escaping can be undone.
std::string escape_console_log_line(std::string_view line) {
    return escape_control_chars(line, Backslash::kDoubled);
}

std::vector<std::string> read_console_log_tail() {
    return read_console_log_tail(console_log_internal::console_log_path());
}

std::vector<std::string> read_console_log_tail(const std::string& path) {
    std::vector<std::string> none;
    // Never through a symbolic link: the tail is shown before sign-in, and a
    // link swapped in for the log would show whatever file it names.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return none;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return none;
    }
    // Only the last part of a large file is read. Starting one byte early
    // tells whether the window begins on a line start; the partial line
    // before the first line feed is skipped.
    const auto size = static_cast<std::size_t>(st.st_size);
    bool skip_partial = false;
    if (size > kMaxTailBytes) {
        if (::lseek(fd, static_cast<off_t>(size - kMaxTailBytes - 1), SEEK_SET) < 0) {
            ::close(fd);
            return none;
        }
        skip_partial = true;
    }

    std::deque<std::string> window;
    std::string pending;
    bool stopped = false;
    const auto take_line = [&](std::string line) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!is_valid_utf8(line)) {
            stopped = true;
            return;
        }
        if (window.size() >= CONSOLE_RING_CAPACITY) window.pop_front();
        window.push_back(std::move(line));
    };
    char buf[8192];
    std::size_t total = 0;
    bool cut = false;
    while (!stopped) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<std::size_t>(n);
        std::string_view chunk(buf, static_cast<std::size_t>(n));
        while (!stopped) {
            const std::size_t lf = chunk.find('\n');
            if (lf == std::string_view::npos) {
                pending.append(chunk);
                break;
            }
            pending.append(chunk.substr(0, lf));
            chunk.remove_prefix(lf + 1);
            if (skip_partial) {
                skip_partial = false;
                pending.clear();
                continue;
            }
            take_line(std::move(pending));
            pending.clear();
        }
        // The file may grow while it is read; never read more than the window.
        if (total > kMaxTailBytes + 1) {
            cut = true;
            break;
        }
    }
    if (!stopped && !cut && !skip_partial && !pending.empty()) take_line(std::move(pending));
    ::close(fd);
    return {std::make_move_iterator(window.begin()), std::make_move_iterator(window.end())};
}

std::vector<std::string> console_ring_snapshot() {
    LogState& s = state();
    const std::lock_guard lock(s.ring_mutex);
    return {s.ring.begin(), s.ring.end()};
}

std::size_t console_ring_len() {
    LogState& s = state();
    const std::lock_guard lock(s.ring_mutex);
    return s.ring.size();
}

void seed_console_ring(const std::vector<std::string>& lines) {
    LogState& s = state();
    const std::lock_guard lock(s.ring_mutex);
    if (!s.ring.empty()) return;
    for (const auto& line : lines) {
        if (s.ring.size() >= CONSOLE_RING_CAPACITY) break;
        s.ring.push_back(line);
    }
}

}  // namespace tarnwick
