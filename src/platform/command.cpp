#include "platform/command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>  // before <sys/event.h> on FreeBSD
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
#include <cstdint>
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

}  // namespace

// One command of a set, from its start until its result is handed over.
struct CommandSet::Child {
    std::string program;
    std::chrono::milliseconds time_limit{0};
    pid_t pid = -1;
    Clock::time_point deadline;
    UniqueFd report;                  // while the start is not confirmed (see start_child)
    UniqueFd watch;                   // readable once the child exits, where the system has one
    CommandOutput output;             // the captures' sinks
    std::array<Capture, 2> captures;  // not used when the streams are inherited
    std::optional<Result<ExitStatus, CommandError>> ended;
    bool taken = false;

    void end(Result<ExitStatus, CommandError> result) {
        ended = std::move(result);
        for (Capture& c : captures) c.fd.reset();
    }

    // Starts the program; a failure to start ends the child at once.
    void launch(const std::vector<std::string>& args, const CommandLimits& limits, bool capture) {
        time_limit = limits.time_limit;
        auto spawn_error = [this](int e) {
            end(fail(CommandError{CommandError::Kind::Spawn, program, e, {}}));
        };

        const char* env_path = std::getenv("PATH");
        SpawnRequest request;
        request.files =
            command_files(program, env_path != nullptr ? std::optional<std::string_view>(env_path)
                                                       : std::nullopt);
        request.argv.reserve(args.size() + 1);
        request.argv.push_back(program);
        request.argv.insert(request.argv.end(), args.begin(), args.end());

        UniqueFd null_in;
        UniqueFd out_w, err_w;
        if (capture) {
            null_in.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
            if (!null_in || !lift_above_stdio(null_in)) return spawn_error(errno);
            std::array<std::string*, 2> sinks{&output.out, &output.err};
            std::array<UniqueFd*, 2> write_ends{&out_w, &err_w};
            for (std::size_t i = 0; i < 2; ++i) {
                auto pipe = make_child_pipe();
                if (!pipe) return spawn_error(pipe.error());
                // Non-blocking on this side only: the drain after exit must not wait.
                if (::fcntl(pipe->read_end.get(), F_SETFL, O_NONBLOCK) != 0) {
                    return spawn_error(errno);
                }
                captures[i] = Capture{std::move(pipe->read_end), sinks[i], limits.output_cap};
                *write_ends[i] = std::move(pipe->write_end);
            }
            request.stdio = {null_in.get(), out_w.get(), err_w.get()};
        }

        deadline = Clock::now() + limits.time_limit;
        // Started without waiting for the exec: the report is read with the
        // output, so that children started one after another run together.
        auto started = start_child(request);
        if (!started) return fail_start(started.error());
        pid = started->pid;
        report = std::move(started->report);
        watch = exit_watch(pid);
    }

    void fail_start(const SpawnFailure& f) {
        const auto kind =
            f.step == SpawnStep::Exec ? CommandError::Kind::Exec : CommandError::Kind::Spawn;
        end(fail(CommandError{kind, program, f.errnum, {}}));
    }

    // Takes the start report once it is there: the program runs, or the
    // child failed before it and has been reaped.
    void take_report() {
        pollfd p{report.get(), POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) return;
        auto confirmed = confirm_started(StartingChild{pid, std::move(report)});
        if (!confirmed) fail_start(confirmed.error());
    }

    // Looks at the child without waiting: an exit ends it (after reading
    // what is left in its pipes), and so does its time limit (the whole
    // group is killed).
    void check(Clock::time_point now) {
        if (report) {
            take_report();
            if (ended) return;
        }
        // Not reaped before its report is read: a child that failed before
        // its program ran must not pass for one that exited with 127.
        if (report) {
            if (now >= deadline) stop_at_limit();
            return;
        }
        int status = 0;
        const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
        if (reaped == pid) {
            for (Capture& c : captures) {
                if (c.fd) c.drain_available();
            }
            return end(ExitStatus::from_wait_status(status));
        }
        if (reaped < 0 && errno != EINTR) {
            const int error = errno;
            kill_group(pid);
            return end(fail(CommandError{CommandError::Kind::Wait, program, error, {}}));
        }
        if (now >= deadline) stop_at_limit();
    }

    void stop_at_limit() {
        kill_group(pid);
        (void)wait_for_child(pid);  // killed: returns at once
        end(fail(CommandError{CommandError::Kind::TimedOut, program, 0, time_limit}));
    }

    // Stops a child that is still running (killed and reaped).
    void stop(CommandError error) {
        kill_group(pid);
        (void)wait_for_child(pid);  // killed: returns at once; the error says why
        end(fail(std::move(error)));
    }
};

CommandSet::CommandSet() = default;

CommandSet::~CommandSet() {
    for (auto& child : children_) {
        if (!child->ended)
            child->stop(CommandError{CommandError::Kind::Wait, child->program, 0, {}});
    }
}

CommandSet::Handle CommandSet::start(std::string_view program, const std::vector<std::string>& args,
                                     const CommandLimits& limits) {
    return launch(program, args, limits, true);
}

CommandSet::Handle CommandSet::launch(std::string_view program,
                                      const std::vector<std::string>& args,
                                      const CommandLimits& limits, bool capture) {
    auto child = std::make_unique<Child>();
    child->program = std::string(program);
    child->launch(args, limits, capture);
    children_.push_back(std::move(child));
    return children_.size() - 1;
}

std::size_t CommandSet::unfinished() const {
    return static_cast<std::size_t>(
        std::count_if(children_.begin(), children_.end(), [](const auto& c) { return !c->taken; }));
}

// Waits until the child has ended, looking after every running one meanwhile.
void CommandSet::wait_for(Child& target) {
    std::vector<pollfd> fds;
    std::vector<Capture*> owners;  // null for an exit watch or a start report
    while (!target.ended) {
        const auto now = Clock::now();
        auto wait = std::chrono::milliseconds::max();
        fds.clear();
        owners.clear();
        for (auto& child : children_) {
            if (child->ended) continue;
            child->check(now);
            if (child->ended) continue;
            wait =
                std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(child->deadline - now));
            if (!child->watch) wait = std::min(wait, kExitPollTick);
            for (Capture& c : child->captures) {
                if (!c.fd) continue;
                fds.push_back({c.fd.get(), POLLIN, 0});
                owners.push_back(&c);
            }
            if (child->report) {
                fds.push_back({child->report.get(), POLLIN, 0});
                owners.push_back(nullptr);
            }
            if (child->watch) {
                fds.push_back({child->watch.get(), POLLIN, 0});
                owners.push_back(nullptr);
            }
        }
        if (target.ended) break;
        if (::poll(fds.data(), fds.size(), static_cast<int>(wait.count())) < 0 && errno != EINTR) {
            const int error = errno;
            for (auto& child : children_) {
                if (!child->ended) {
                    child->stop(CommandError{CommandError::Kind::Wait, child->program, error, {}});
                }
            }
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (owners[i] != nullptr && fds[i].revents != 0) (void)owners[i]->read_some();
        }
    }
}

Result<CommandOutput, CommandError> CommandSet::finish(Handle handle) {
    Child& child = *children_.at(handle);
    wait_for(child);
    child.taken = true;
    if (!*child.ended) return fail(std::move(child.ended->error()));
    child.output.status = **child.ended;
    return std::move(child.output);
}

namespace {

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
    CommandSet set;
    return set.finish(set.start(program, args, limits));
}

Result<ExitStatus, CommandError> run_command_inheriting_streams(
    std::string_view program, const std::vector<std::string>& args, const CommandLimits& limits) {
    CommandSet set;
    auto ran = set.finish(set.launch(program, args, limits, false));
    if (!ran) return fail(std::move(ran.error()));
    return ran->status;
}

}  // namespace tarnwick::platform
