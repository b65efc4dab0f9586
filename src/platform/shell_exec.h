#pragma once
// Starts a program as another user on the console terminal and waits for it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/result.h"
#include "platform/spawn.h"

namespace tarnwick::platform {

struct ShellLaunch {
    std::string user;  // for the supplementary groups
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
    std::string home;        // entered, else "/"
    std::string shell_path;  // argv[0] and the program run
    std::vector<std::pair<std::string, std::string>> env;
};

// Runs the shell in a process group of its own that holds the terminal's
// foreground while it runs; the child drops to the account (groups, setgid,
// setuid, effective uid checked) before it runs the shell with only the given
// environment. Meanwhile this process ignores the terminal's job-control
// signals (SIGINT, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU); a shell that stops is
// continued, since nothing else could ever wake it, and so, within a second,
// is anything stopped in its process group. Pending input is flushed
// before the shell starts and after it ends, when the foreground group is
// this process's again. A stop signal (platform/stop_signals.h) is passed on
// to the shell's group and ends the wait at once. The error is the step that
// failed before the shell ran.
Result<ExitStatus, SpawnFailure> run_as_user_and_wait(const ShellLaunch& launch);

// "EAGAIN: Try again": the name and description of a fork error number.
std::string errno_name_and_text(int errnum);

}  // namespace tarnwick::platform
