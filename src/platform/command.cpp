#include "platform/command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__linux__)
#include <sys/syscall.h>
#elif defined(__FreeBSD__)
#include <sys/event.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>

#include "core/text.h"
#include "core/unique_fd.h"

namespace tarnwick::platform {
namespace {

using Clock = std::chrono::steady_clock;

// How often the child is looked at when this system offers no descriptor
// that becomes readable when it exits.
constexpr std::chrono::milliseconds kExitPollTick{10};

// After the child exited, at most this much more is read from each pipe:
// what the child wrote is in the pipe already, anything beyond comes from a
// program it left running.
constexpr std::size_t kDrainBudget = 4 * 1024 * 1024;

// A descriptor that becomes readable when the child exits (Linux pidfd,
// FreeBSD kqueue); invalid where neither exists, and the loop then ticks.
UniqueFd exit_watch(pid_t pid) {
#if defined(__linux__) && defined(SYS_pidfd_open)
    return UniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
#elif defined(__FreeBSD__)
    UniqueFd queue(::kqueue());
    if (!queue) return queue;
    struct kevent change {};
    EV_SET(&change, static_cast<uintptr_t>(pid), EVFILT_PROC, EV_ADD, NOTE_EXIT, 0, nullptr);
    if (::kevent(queue.get(), &change, 1, nullptr, 0, nullptr) != 0) return UniqueFd();
    return queue;
#else
    (void)pid;
    return UniqueFd();
#endif
}

constexpr std::size_t kReadChunk = 65536;

// One captured stream: its pipe's read end (non-blocking) and what was kept
// of it.
struct Capture {
    UniqueFd fd;
    std::string* sink = nullptr;
    std::size_t cap = 0;

    // One read of at most `max` bytes, kept up to the cap; the number of
    // bytes read (0 when nothing was there). The stream is closed at end of
    // file or on an error.
    std::size_t read_some(std::size_t max = kReadChunk) {
        std::array<char, kReadChunk> buf;
        ssize_t n = 0;
        do {
            n = ::read(fd.get(), buf.data(), std::min(max, buf.size()));
        } while (n < 0 && errno == EINTR);
        if (n > 0) {
            const auto got = static_cast<std::size_t>(n);
            const std::size_t room = cap > sink->size() ? cap - sink->size() : 0;
            sink->append(buf.data(), std::min(room, got));
            return got;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) fd.reset();
        return 0;
    }

    // Reads what is in the pipe now, without waiting for more.
    void drain_available() {
        std::size_t budget = kDrainBudget;
        while (fd && budget > 0) {
            const std::size_t n = read_some(budget);
            if (n == 0) break;
            budget -= n;
        }
    }
};

void kill_group(pid_t pid) {
    (void)::kill(-pid, SIGKILL);
    (void)::kill(pid, SIGKILL);  // also when it left its group
}

// Waits for the child within the time limit, reading the captures meanwhile.
Result<ExitStatus, CommandError> supervise(pid_t pid, const std::string& program,
                                           std::array<Capture, 2>& captures,
                                           const CommandLimits& limits) {
    const auto deadline = Clock::now() + limits.time_limit;
    const UniqueFd watch = exit_watch(pid);
    for (;;) {
        int status = 0;
        const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
        if (reaped == pid) {
            for (Capture& c : captures) {
                if (c.fd) c.drain_available();
            }
            return ExitStatus::from_wait_status(status);
        }
        if (reaped < 0 && errno != EINTR) {
            const int error = errno;
            kill_group(pid);
            return fail(CommandError{CommandError::Kind::Wait, program, error, {}});
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            kill_group(pid);
            (void)wait_for_child(pid);  // killed: returns at once
            return fail(CommandError{CommandError::Kind::TimedOut, program, 0, limits.time_limit});
        }
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (!watch) wait = std::min(wait, kExitPollTick);

        std::array<pollfd, 3> fds{};
        std::array<Capture*, 3> owners{};
        nfds_t count = 0;
        for (Capture& c : captures) {
            if (!c.fd) continue;
            fds[count] = {c.fd.get(), POLLIN, 0};
            owners[count++] = &c;
        }
        if (watch) fds[count++] = {watch.get(), POLLIN, 0};
        if (::poll(fds.data(), count, static_cast<int>(wait.count())) < 0 && errno != EINTR) {
            const int error = errno;
            kill_group(pid);
            (void)wait_for_child(pid);
            return fail(CommandError{CommandError::Kind::Wait, program, error, {}});
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (owners[i] != nullptr && fds[i].revents != 0) (void)owners[i]->read_some();
        }
    }
}

Result<ExitStatus, CommandError> run(std::string_view program, const std::vector<std::string>& args,
                                     CommandOutput* output, const CommandLimits& limits) {
    const std::string name(program);
    auto spawn_error = [&name](int e) {
        return fail(CommandError{CommandError::Kind::Spawn, name, e, {}});
    };

    const char* env_path = std::getenv("PATH");
    SpawnRequest request;
    request.files = command_files(
        program, env_path != nullptr ? std::optional<std::string_view>(env_path) : std::nullopt);
    request.argv.reserve(args.size() + 1);
    request.argv.push_back(name);
    request.argv.insert(request.argv.end(), args.begin(), args.end());

    UniqueFd null_in;
    std::array<Capture, 2> captures;
    UniqueFd out_w, err_w;
    if (output != nullptr) {
        null_in.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        if (!null_in || !lift_above_stdio(null_in)) return spawn_error(errno);
        std::array<std::string*, 2> sinks{&output->out, &output->err};
        std::array<UniqueFd*, 2> write_ends{&out_w, &err_w};
        for (std::size_t i = 0; i < 2; ++i) {
            auto pipe = make_child_pipe();
            if (!pipe) return spawn_error(pipe.error());
            // Non-blocking on this side only: the drain after exit must not wait.
            if (::fcntl(pipe->read_end.get(), F_SETFL, O_NONBLOCK) != 0) return spawn_error(errno);
            captures[i] = Capture{std::move(pipe->read_end), sinks[i], limits.output_cap};
            *write_ends[i] = std::move(pipe->write_end);
        }
        request.stdio = {null_in.get(), out_w.get(), err_w.get()};
    }

    auto pid = spawn_process(request);
    if (!pid) {
        const SpawnFailure& f = pid.error();
        const auto kind =
            f.step == SpawnStep::Exec ? CommandError::Kind::Exec : CommandError::Kind::Spawn;
        return fail(CommandError{kind, name, f.errnum, {}});
    }
    null_in.reset();
    out_w.reset();
    err_w.reset();
    return supervise(*pid, name, captures, limits);
}

std::string display_limit(std::chrono::milliseconds limit) {
    if (limit.count() % 1000 == 0) return std::to_string(limit.count() / 1000) + " s";
    return std::to_string(limit.count()) + " ms";
}

}  // namespace

std::string CommandOutput::out_text() const {
    return decode_lossy(out);
}
std::string CommandOutput::err_text() const {
    return decode_lossy(err);
}

std::string display_command_error(const CommandError& error) {
    switch (error.kind) {
        case CommandError::Kind::Spawn:
            return "could not start " + error.program + ": " + system_error_text(error.errnum);
        case CommandError::Kind::Exec:
            return "could not run " + error.program + ": " + system_error_text(error.errnum);
        case CommandError::Kind::Wait:
            return "could not wait for " + error.program + ": " + system_error_text(error.errnum);
        case CommandError::Kind::TimedOut:
            return error.program + " did not finish within " + display_limit(error.time_limit) +
                   " and was stopped";
    }
    return "could not start " + error.program;
}

std::vector<std::string> command_files(std::string_view program,
                                       std::optional<std::string_view> search_path) {
    if (program.find('/') != std::string_view::npos) return {std::string(program)};
    const std::string_view path = search_path.value_or(kDefaultSearchPath);
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t colon = path.find(':', start);
        if (colon == std::string_view::npos) colon = path.size();
        const std::string_view dir = path.substr(start, colon - start);
        if (!dir.empty() && dir.front() == '/') out.push_back(join_path(dir, program));
        start = colon + 1;
    }
    return out;
}

Result<CommandOutput, CommandError> run_command(std::string_view program,
                                                const std::vector<std::string>& args,
                                                const CommandLimits& limits) {
    CommandOutput output;
    auto status = run(program, args, &output, limits);
    if (!status) return fail(std::move(status.error()));
    output.status = *status;
    return output;
}

Result<ExitStatus, CommandError> run_command_inheriting_streams(
    std::string_view program, const std::vector<std::string>& args, const CommandLimits& limits) {
    return run(program, args, nullptr, limits);
}

}  // namespace tarnwick::platform
