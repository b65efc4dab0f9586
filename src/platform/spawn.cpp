#include "platform/spawn.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "core/text.h"
#include "core/unique_fd.h"

extern char** environ;

namespace tarnwick::platform {
namespace {

// setgroups takes a size_t on Linux and an int on the BSDs.
#if defined(__linux__)
using GroupCount = std::size_t;
#else
using GroupCount = int;
#endif

struct Report {
    int step = 0;
    int errnum = 0;
};

// Everything the child touches is built before fork: after fork only the
// forking thread exists, and another thread may hold the allocator's lock.
struct Prepared {
    std::vector<char*> argv;
    std::vector<std::string> env_storage;
    std::vector<char*> envp;  // empty: this process's environment
    std::vector<const char*> files;
    std::vector<gid_t> groups;
    const SpawnRequest* request = nullptr;
    int report_fd = -1;
    int max_fd = 0;
};

// The account's supplementary groups, looked up here so the child only makes
// system calls.
Result<std::vector<gid_t>, int> account_groups(const ChildIdentity& who) {
    if (who.user.find('\0') != std::string::npos) return fail(EINVAL);
    int count = 32;
    for (int round = 0; round < 8; ++round) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        int found = count;
        if (::getgrouplist(who.user.c_str(), static_cast<gid_t>(who.gid), groups.data(), &found) >=
            0) {
            groups.resize(static_cast<std::size_t>(found));
            return groups;
        }
        count = found > count ? found : count * 2;
    }
    return fail(ENOMEM);
}

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

[[noreturn]] void report_and_exit(int fd, SpawnStep step, int errnum, int status) {
    const Report report{static_cast<int>(step), errnum};
    (void)!::write(fd, &report, sizeof report);
    ::_exit(status);
}

// Runs in the forked child with every signal blocked: only async-signal-safe
// calls from here on.
[[noreturn]] void run_child(const Prepared& p) {
    const SpawnRequest& request = *p.request;
    const int report = p.report_fd;
    if (::setpgid(0, 0) != 0) report_and_exit(report, SpawnStep::Setup, errno, 127);
    // Not our terminal, or none: the program runs without job control.
    if (request.take_foreground) (void)::tcsetpgrp(0, ::getpid());

    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    for (int sig = 1; sig < NSIG; ++sig) {
        if (sig == SIGPIPE && request.keep_sigpipe_ignored) continue;
        (void)::sigaction(sig, &dfl, nullptr);
    }
    if (request.keep_sigpipe_ignored) ::signal(SIGPIPE, SIG_IGN);

    for (int target = 0; target < 3; ++target) {
        const int from = request.stdio[static_cast<std::size_t>(target)];
        if (from < 0) continue;
        // dup2 onto itself would keep close-on-exec.
        const bool ok =
            from == target ? ::fcntl(target, F_SETFD, 0) == 0 : ::dup2(from, target) == target;
        if (!ok) report_and_exit(report, SpawnStep::Setup, errno, 127);
    }

    if (request.identity) {
        const ChildIdentity& who = *request.identity;
        const auto uid = static_cast<uid_t>(who.uid);
        const auto gid = static_cast<gid_t>(who.gid);
        if (::setgroups(static_cast<GroupCount>(p.groups.size()), p.groups.data()) != 0) {
            report_and_exit(report, SpawnStep::Initgroups, errno, 1);
        }
        if (::setgid(gid) != 0) report_and_exit(report, SpawnStep::Setgid, errno, 1);
        if (::setuid(uid) != 0) report_and_exit(report, SpawnStep::Setuid, errno, 1);
        if (::geteuid() != uid) report_and_exit(report, SpawnStep::EffectiveUid, EPERM, 1);
        // A home folder that cannot be entered falls back to the root, as login(1) does.
        if (::chdir(who.home.c_str()) != 0 && ::chdir("/") != 0) {
            report_and_exit(report, SpawnStep::Chdir, errno, 1);
        }
    }

    close_above_stdio_except(report, p.max_fd);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    char* const* envp = p.envp.empty() ? environ : p.envp.data();
    int error = ENOENT;
    bool denied = false;
    for (const char* file : p.files) {
        ::execve(file, p.argv.data(), envp);
        error = errno;
        if (error == EACCES) {
            denied = true;
        } else if (error != ENOENT && error != ENOTDIR) {
            break;
        }
    }
    if (denied && (error == ENOENT || error == ENOTDIR)) error = EACCES;
    report_and_exit(report, SpawnStep::Exec, error, 127);
}

// Reads the child's report: absent when the program started (the
// close-on-exec write end closed without a word).
std::optional<SpawnFailure> read_report(int fd) {
    Report report;
    std::size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&report);
    while (got < sizeof report) {
        const ssize_t n = ::read(fd, bytes + got, sizeof report - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got < sizeof report) return std::nullopt;
    return SpawnFailure{static_cast<SpawnStep>(report.step), report.errnum};
}

}  // namespace

bool lift_above_stdio(UniqueFd& fd) {
    if (fd.get() > 2) return true;
    const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3);
    if (moved < 0) return false;
    fd.reset(moved);
    return true;
}

Result<ChildPipe, int> make_child_pipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return fail(errno);
    ChildPipe pipe{UniqueFd(ends[0]), UniqueFd(ends[1])};
    if (!lift_above_stdio(pipe.read_end) || !lift_above_stdio(pipe.write_end)) return fail(errno);
    return pipe;
}

ExitStatus ExitStatus::from_wait_status(int status) {
    if (WIFEXITED(status)) return {true, WEXITSTATUS(status)};
    if (WIFSIGNALED(status)) return {false, WTERMSIG(status)};
    return {false, 0};
}

std::string_view spawn_step_name(SpawnStep step) {
    switch (step) {
        case SpawnStep::Prepare:
            return "fork";
        case SpawnStep::Setup:
            return "child setup";
        case SpawnStep::Initgroups:
            return "initgroups";
        case SpawnStep::Setgid:
            return "setgid";
        case SpawnStep::Setuid:
            return "setuid";
        case SpawnStep::EffectiveUid:
            return "effective uid check";
        case SpawnStep::Chdir:
            return "chdir";
        case SpawnStep::Exec:
            return "execve";
    }
    return "spawn";
}

std::string display_spawn_failure(const SpawnFailure& failure) {
    return std::string(spawn_step_name(failure.step)) + ": " + system_error_text(failure.errnum);
}

Result<StartingChild, SpawnFailure> start_child(const SpawnRequest& request) {
    Prepared p;
    p.request = &request;
    for (const std::string& file : request.files) p.files.push_back(file.c_str());
    std::vector<std::string> argv_storage = request.argv;
    for (std::string& a : argv_storage) p.argv.push_back(a.data());
    p.argv.push_back(nullptr);
    if (request.env) {
        p.env_storage = *request.env;
        for (std::string& e : p.env_storage) p.envp.push_back(e.data());
        p.envp.push_back(nullptr);
    }
    if (request.identity) {
        // An account whose groups cannot be read never runs with root's.
        auto groups = account_groups(*request.identity);
        if (!groups) return fail(SpawnFailure{SpawnStep::Initgroups, groups.error()});
        p.groups = std::move(*groups);
    }
    const long open_max = ::sysconf(_SC_OPEN_MAX);
    p.max_fd = open_max > 0 && open_max < 65536 ? static_cast<int>(open_max) : 65536;

    auto report_pipe = make_child_pipe();
    if (!report_pipe) return fail(SpawnFailure{SpawnStep::Prepare, report_pipe.error()});
    UniqueFd report_r = std::move(report_pipe->read_end);
    UniqueFd report_w = std::move(report_pipe->write_end);
    p.report_fd = report_w.get();

    // Blocked from fork until the child has reset its dispositions, so no
    // handler of this program runs in the child; the parent's tcsetpgrp
    // below needs SIGTTOU blocked too, as it may already be in the background.
    sigset_t all, old;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &old);
    const pid_t pid = ::fork();
    if (pid == 0) run_child(p);
    const int fork_errno = errno;
    if (pid > 0) {
        // The same two calls the child makes, whichever runs first; an error
        // means the child has got there already.
        (void)::setpgid(pid, pid);
        if (request.take_foreground) (void)::tcsetpgrp(0, pid);
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    if (pid < 0) return fail(SpawnFailure{SpawnStep::Prepare, fork_errno});

    return StartingChild{pid, std::move(report_r)};
}

Result<pid_t, SpawnFailure> confirm_started(StartingChild child) {
    if (const auto failure = read_report(child.report.get())) {
        (void)wait_for_child(child.pid);  // it exits right after its report
        return fail(*failure);
    }
    return child.pid;
}

Result<pid_t, SpawnFailure> spawn_process(const SpawnRequest& request) {
    auto started = start_child(request);
    if (!started) return fail(started.error());
    return confirm_started(std::move(*started));
}

Result<ExitStatus, int> wait_for_child(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return fail(errno);
    }
    return ExitStatus::from_wait_status(status);
}

}  // namespace tarnwick::platform
