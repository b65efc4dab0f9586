#include "platform/shell_exec.h"

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tarnwick::platform {
namespace {

// Everything the child touches is built before fork: after fork only the
// forking thread exists and another thread may hold the allocator's lock.
struct Prepared {
    bool name_ok = true;
    std::string name;
    std::string path;
    std::string home;
    std::vector<std::string> env_text;
    std::vector<char*> argv;
    std::vector<char*> envp;
    sigset_t empty_mask{};
};

void prepare(const ShellLaunch& launch, Prepared& p) {
    p.name_ok = launch.user.find('\0') == std::string::npos;
    p.name = launch.user;
    p.home = launch.home;
    p.path = launch.shell_path.find('\0') == std::string::npos ? launch.shell_path : "/bin/sh";
    for (const auto& [key, value] : launch.env) {
        std::string entry = key + "=" + value;
        if (entry.find('\0') != std::string::npos) continue;
        p.env_text.push_back(std::move(entry));
    }
    p.argv = {p.path.data(), nullptr};
    for (auto& e : p.env_text) p.envp.push_back(e.data());
    p.envp.push_back(nullptr);
    sigemptyset(&p.empty_mask);
}

[[noreturn]] void child(const Prepared& p, std::uint32_t uid, std::uint32_t gid) {
    if (!p.name_ok) _exit(1);
    if (initgroups(p.name.c_str(), static_cast<gid_t>(gid)) != 0) _exit(1);
    if (setgid(static_cast<gid_t>(gid)) != 0) _exit(1);
    if (setuid(static_cast<uid_t>(uid)) != 0) _exit(1);
    if (geteuid() != static_cast<uid_t>(uid)) _exit(1);
    // A home folder that cannot be entered falls back to the root, as login(1) does.
    if (chdir(p.home.c_str()) != 0 && chdir("/") != 0) _exit(1);
    // The shell's standard error is the console, never the capture pipe: a
    // prompt must be visible and the user's errors must not reach the root log.
    (void)dup2(0, 2);
    closefrom(3);
    sigprocmask(SIG_SETMASK, &p.empty_mask, nullptr);
    execve(p.path.c_str(), p.argv.data(), p.envp.data());
    _exit(127);
}

}  // namespace

Result<void, int> run_as_user_and_wait(const ShellLaunch& launch) {
    Prepared p;
    prepare(launch, p);
    const pid_t pid = fork();
    if (pid < 0) return fail(errno);
    if (pid == 0) child(p, launch.uid, launch.gid);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {};
}

std::string errno_name_and_text(int errnum) {
    switch (errnum) {
        case EAGAIN:
            return "EAGAIN: Try again";
        case ENOMEM:
            return "ENOMEM: Out of memory";
        case ENOSYS:
            return "ENOSYS: Function not implemented";
        case EPERM:
            return "EPERM: Operation not permitted";
        default:
            return "UnknownErrno: Unknown errno";
    }
}

}  // namespace tarnwick::platform
