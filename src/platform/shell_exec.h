#pragma once
// Starts a program as another user on the console and waits for it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/result.h"

namespace tarnwick::platform {

struct ShellLaunch {
    std::string user;  // for initgroups
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
    std::string home;        // chdir target; failure is ignored
    std::string shell_path;  // argv[0] and the program run
    std::vector<std::pair<std::string, std::string>> env;
};

// Forks; the child drops to the account (initgroups, setgid, setuid, effective
// uid checked), changes to the home folder and execs the shell with only the
// given environment, exiting 1 on a failed drop and 127 on a failed exec. The
// parent waits for the child. An error is the errno of a failed fork; the
// child's own exit status is not reported.
Result<void, int> run_as_user_and_wait(const ShellLaunch& launch);

// "EAGAIN: Try again": the name and description of a fork error number.
std::string errno_name_and_text(int errnum);

}  // namespace tarnwick::platform
