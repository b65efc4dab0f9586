#include "support/process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace tarnwick::test {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
};

Pipe make_pipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return {};
    return {fds[0], fds[1]};
}

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::vector<std::string> build_env(const ProcessOptions& options) {
    std::map<std::string, std::string> env;
    if (!options.clear_env) {
        for (char** e = environ; e && *e; ++e) {
            const std::string entry = *e;
            const auto eq = entry.find('=');
            if (eq == std::string::npos) continue;
            env[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
    }
    for (const auto& [name, value] : options.env) {
        if (value) {
            env[name] = *value;
        } else {
            env.erase(name);
        }
    }
    std::vector<std::string> out;
    for (const auto& [name, value] : env) out.push_back(name + "=" + value);
    return out;
}

bool closes(const ProcessOptions& options, int fd) {
    for (int c : options.closed_fds) {
        if (c == fd) return true;
    }
    return false;
}

// Child side after fork: only async-signal-safe calls.
[[noreturn]] void exec_child(const char* program, char* const* argv, char* const* envp,
                             const Pipe& in, const Pipe& out, const Pipe& err,
                             const ProcessOptions& options, const char* cwd) {
    // A session of its own without a controlling terminal: whatever terminal
    // the test runner has, /dev/tty fails here (ENXIO) and no signal of it
    // reaches the child.
    if (::setsid() < 0) ::_exit(126);
    ::signal(SIGPIPE, SIG_DFL);
    if (::dup2(in.read, 0) < 0 || ::dup2(out.write, 1) < 0 || ::dup2(err.write, 2) < 0)
        ::_exit(126);
    for (int fd = 0; fd <= 2; ++fd) {
        if (closes(options, fd)) ::close(fd);
    }
    if (cwd && ::chdir(cwd) != 0) ::_exit(126);
    if (options.gid || options.uid) {
        if (::setgroups(0, nullptr) != 0) ::_exit(126);
        if (options.gid && ::setgid(*options.gid) != 0) ::_exit(126);
        if (options.uid && ::setuid(*options.uid) != 0) ::_exit(126);
    }
    ::execvpe(program, argv, envp);
    ::_exit(127);
}

}  // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options) {
    // A child that quits before reading its input makes our write fail with
    // EPIPE; the signal would end the whole test run instead.
    ::signal(SIGPIPE, SIG_IGN);
    ProcessResult result;
    std::vector<std::string> argv_text{program};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_text = build_env(options);
    std::vector<char*> envp;
    for (auto& e : env_text) envp.push_back(e.data());
    envp.push_back(nullptr);

    Pipe in = make_pipe();
    Pipe out = make_pipe();
    Pipe err = make_pipe();
    if (in.read < 0 || out.read < 0 || err.read < 0) {
        result.err = std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        result.err = std::string("fork: ") + std::strerror(errno);
        return result;
    }
    if (pid == 0) {
        exec_child(program.c_str(), argv.data(), envp.data(), in, out, err, options,
                   options.cwd ? options.cwd->c_str() : nullptr);
    }
    close_fd(in.read);
    close_fd(out.write);
    close_fd(err.write);
    if (options.stdin_data.empty()) {
        close_fd(in.write);
    } else {
        // Never block on the child's input while its output waits to be read.
        ::fcntl(in.write, F_SETFL, ::fcntl(in.write, F_GETFL) | O_NONBLOCK);
    }

    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    std::size_t written = 0;
    while (out.read >= 0 || err.read >= 0 || in.write >= 0) {
        pollfd fds[3];
        nfds_t n = 0;
        if (out.read >= 0) fds[n++] = {out.read, POLLIN, 0};
        if (err.read >= 0) fds[n++] = {err.read, POLLIN, 0};
        if (in.write >= 0) fds[n++] = {in.write, POLLOUT, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timed_out = true;
            // Its whole group: the child leads one of its own, so nothing it
            // started would be ended by anyone else.
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
            break;
        }
        const int ready = ::poll(fds, n, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) break;
        for (nfds_t i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == in.write) {
                const ssize_t w = ::write(in.write, options.stdin_data.data() + written,
                                          options.stdin_data.size() - written);
                if (w > 0) written += static_cast<std::size_t>(w);
                const bool again = w < 0 && (errno == EAGAIN || errno == EINTR);
                if ((w < 0 && !again) || written == options.stdin_data.size()) close_fd(in.write);
                continue;
            }
            char buf[8192];
            const ssize_t r = ::read(fds[i].fd, buf, sizeof buf);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) {
                if (fds[i].fd == out.read)
                    close_fd(out.read);
                else
                    close_fd(err.read);
                continue;
            }
            (fds[i].fd == out.read ? result.out : result.err)
                .append(buf, static_cast<std::size_t>(r));
        }
    }
    close_fd(in.write);
    close_fd(out.read);
    close_fd(err.read);

    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(wstatus)) {
        result.exited = true;
        result.status = WEXITSTATUS(wstatus);
    } else if (WIFSIGNALED(wstatus)) {
        result.signal = WTERMSIG(wstatus);
        result.status = 128 + result.signal;
    }
    return result;
}

int in_private_mount_namespace(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid < 0) return kNoNamespace;
    if (pid == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            ::_exit(kNoNamespace);
        }
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

uid_t nobody_uid() {
    const passwd* pw = ::getpwnam("nobody");
    return pw ? pw->pw_uid : 65534;
}

gid_t nobody_gid() {
    const passwd* pw = ::getpwnam("nobody");
    return pw ? pw->pw_gid : 65534;
}

}  // namespace tarnwick::test
