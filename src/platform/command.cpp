#include "platform/command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "core/text.h"

extern char** environ;

namespace tarnwick::platform {
namespace {

// Search path used when PATH is unset (the base system's default).
constexpr std::string_view kDefaultPath = "/usr/bin:/bin";

void close_fd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// A descriptor owned here, closed on every way out.
struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { close_fd(fd); }
    void reset() { close_fd(fd); }
};

// Moves a descriptor above 0-2 so the child's dup2 calls never clobber one
// another (possible when this process runs with a standard stream closed).
bool lift_above_stdio(Fd& f) {
    if (f.fd > 2) return true;
    const int moved = ::fcntl(f.fd, F_DUPFD_CLOEXEC, 3);
    if (moved < 0) return false;
    f.reset();
    f.fd = moved;
    return true;
}

bool make_pipe(Fd& read_end, Fd& write_end) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read_end.fd = fds[0];
    write_end.fd = fds[1];
    return lift_above_stdio(read_end) && lift_above_stdio(write_end);
}

// The files the child tries, in order: the name itself when it holds a "/",
// else each PATH entry joined with it (an empty entry is the working folder).
std::vector<std::string> exec_candidates(std::string_view program) {
    if (program.find('/') != std::string_view::npos) return {std::string(program)};
    const char* env_path = std::getenv("PATH");
    std::string_view path = env_path != nullptr ? std::string_view(env_path) : kDefaultPath;
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = path.find(':', start);
        std::string_view dir = path.substr(
            start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        out.push_back(dir.empty() ? std::string(program) : join_path(dir, program));
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    return out;
}

enum class Streams { Capture, Inherit };

struct ChildPlan {
    std::vector<std::string> candidates;
    std::vector<std::string> argv_storage;
    std::vector<char*> argv;
    int stdin_fd = -1;
    int out_fd = -1;
    int err_fd = -1;
    int report_fd = -1;  // exec failure: errno written here
    int max_fd = 0;
};

void close_above_stdio_except(int keep, int max_fd) {
#if defined(__linux__) || defined(__FreeBSD__)
    if ((keep <= 3 || ::close_range(3, static_cast<unsigned>(keep - 1), 0) == 0) &&
        ::close_range(static_cast<unsigned>(keep + 1), ~0U, 0) == 0) {
        return;
    }
#endif
    for (int fd = 3; fd < max_fd; ++fd) {
        if (fd != keep) ::close(fd);
    }
}

// Runs in the forked child: only async-signal-safe calls from here on.
[[noreturn]] void exec_child(const ChildPlan& plan, Streams streams) {
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &dfl, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    if (streams == Streams::Capture) {
        if (::dup2(plan.stdin_fd, 0) < 0 || ::dup2(plan.out_fd, 1) < 0 ||
            ::dup2(plan.err_fd, 2) < 0) {
            const int e = errno;
            (void)!::write(plan.report_fd, &e, sizeof e);
            ::_exit(127);
        }
    }
    close_above_stdio_except(plan.report_fd, plan.max_fd);

    int error = ENOENT;
    bool denied = false;
    for (const std::string& file : plan.candidates) {
        ::execve(file.c_str(), plan.argv.data(), environ);
        error = errno;
        if (error == EACCES) {
            denied = true;
        } else if (error != ENOENT && error != ENOTDIR) {
            break;
        }
    }
    if (denied && (error == ENOENT || error == ENOTDIR)) error = EACCES;
    (void)!::write(plan.report_fd, &error, sizeof error);
    ::_exit(127);
}

Result<ExitStatus, CommandError> wait_child(pid_t pid, const std::string& program) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return fail(CommandError{CommandError::Kind::Wait, program, errno});
    }
    return ExitStatus::from_wait_status(status);
}

// Reads the exec-failure report: nullopt when the exec succeeded (the
// close-on-exec write end closed without a word).
std::optional<int> read_exec_report(int fd) {
    int error = 0;
    std::size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&error);
    while (got < sizeof error) {
        const ssize_t n = ::read(fd, bytes + got, sizeof error - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got < sizeof error) return std::nullopt;
    return error;
}

// Drains both pipes until each reaches end of file.
void drain(int out_fd, int err_fd, std::string& out, std::string& err) {
    std::array<pollfd, 2> fds{{{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&out, &err};
    std::array<char, 65536> buf{};
    int open = 2;
    while (open > 0) {
        const int ready = ::poll(fds.data(), fds.size(), -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = ::read(fds[i].fd, buf.data(), buf.size());
            if (n > 0) {
                sinks[i]->append(buf.data(), static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;  // negative fds are skipped by poll
                --open;
            }
        }
    }
}

Result<ExitStatus, CommandError> spawn_and_wait(std::string_view program,
                                                const std::vector<std::string>& args,
                                                Streams streams, std::string* out,
                                                std::string* err) {
    const std::string name(program);
    auto spawn_error = [&name](int e) {
        return fail(CommandError{CommandError::Kind::Spawn, name, e});
    };

    ChildPlan plan;
    plan.candidates = exec_candidates(program);
    plan.argv_storage.reserve(args.size() + 1);
    plan.argv_storage.push_back(name);
    plan.argv_storage.insert(plan.argv_storage.end(), args.begin(), args.end());
    for (std::string& a : plan.argv_storage) plan.argv.push_back(a.data());
    plan.argv.push_back(nullptr);
    const long open_max = ::sysconf(_SC_OPEN_MAX);
    plan.max_fd = open_max > 0 && open_max < 65536 ? static_cast<int>(open_max) : 65536;

    Fd null_in, out_r, out_w, err_r, err_w, report_r, report_w;
    if (streams == Streams::Capture) {
        null_in.fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (null_in.fd < 0 || !lift_above_stdio(null_in)) return spawn_error(errno);
        if (!make_pipe(out_r, out_w) || !make_pipe(err_r, err_w)) return spawn_error(errno);
    }
    if (!make_pipe(report_r, report_w)) return spawn_error(errno);
    plan.stdin_fd = null_in.fd;
    plan.out_fd = out_w.fd;
    plan.err_fd = err_w.fd;
    plan.report_fd = report_w.fd;

    const pid_t pid = ::fork();
    if (pid < 0) return spawn_error(errno);
    if (pid == 0) exec_child(plan, streams);

    null_in.reset();
    out_w.reset();
    err_w.reset();
    report_w.reset();

    if (const std::optional<int> exec_error = read_exec_report(report_r.fd)) {
        (void)wait_child(pid, name);
        return fail(CommandError{CommandError::Kind::Exec, name, *exec_error});
    }
    if (streams == Streams::Capture) drain(out_r.fd, err_r.fd, *out, *err);
    return wait_child(pid, name);
}

}  // namespace

ExitStatus ExitStatus::from_wait_status(int status) {
    if (WIFEXITED(status)) return {true, WEXITSTATUS(status)};
    if (WIFSIGNALED(status)) return {false, WTERMSIG(status)};
    return {false, 0};
}

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
    }
    return "could not start " + error.program;
}

Result<CommandOutput, CommandError> run_command(std::string_view program,
                                                const std::vector<std::string>& args) {
    CommandOutput output;
    auto status = spawn_and_wait(program, args, Streams::Capture, &output.out, &output.err);
    if (!status) return fail(std::move(status.error()));
    output.status = *status;
    return output;
}

Result<ExitStatus, CommandError> run_command_inheriting_streams(
    std::string_view program, const std::vector<std::string>& args) {
    return spawn_and_wait(program, args, Streams::Inherit, nullptr, nullptr);
}

}  // namespace tarnwick::platform
