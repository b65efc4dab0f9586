#pragma once
// The one place the program forks and execs. Both the command runner and the
// shell start go through `spawn_process`: the child gets its own process
// group, default signal handling, only descriptors 0-2, and reports the step
// that failed before the program ran (with its errno) through a
// close-on-exec pipe, so the parent knows whether the program really started.

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "core/unique_fd.h"

namespace tarnwick::platform {

// How a child ended.
struct ExitStatus {
    bool exited = false;  // true: ended through exit() with `code`
    int code = 0;         // the exit status when exited, else the signal number

    bool success() const { return exited && code == 0; }
    static ExitStatus from_wait_status(int status);
};

// What failed while starting a child, in the order the steps run.
enum class SpawnStep {
    Prepare,       // pipe or fork in this process
    Setup,         // the child's descriptors or process group
    Initgroups,    // supplementary groups of the account
    Setgid,        // group id of the account
    Setuid,        // user id of the account
    EffectiveUid,  // the effective user id is not the account's after setuid
    Chdir,         // neither the home folder nor "/" could be entered
    Exec,          // no candidate file could be executed
};

struct SpawnFailure {
    SpawnStep step = SpawnStep::Prepare;
    int errnum = 0;
};

// "initgroups", "setgid", "execve", ...: the step as a log or status text names it.
std::string_view spawn_step_name(SpawnStep step);

// "setuid: Operation not permitted (os error 1)".
std::string display_spawn_failure(const SpawnFailure& failure);

// The account a child becomes before it runs its program.
struct ChildIdentity {
    std::string user;  // for initgroups
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
    std::string home;  // entered, else "/"
};

struct SpawnRequest {
    // Files tried in order with execve; a missing or not-executable one
    // passes on to the next.
    std::vector<std::string> files;
    std::vector<std::string> argv;
    // "NAME=value" entries; absent: this process's environment.
    std::optional<std::vector<std::string>> env;
    // Descriptors put on 0, 1 and 2 in the child; -1 leaves that one as it is.
    std::array<int, 3> stdio{-1, -1, -1};
    // The child's group becomes the foreground group of the terminal on
    // descriptor 0 (set by both sides, so neither races the other).
    bool take_foreground = false;
    // SIGPIPE stays ignored in the child (the login shell inherits that).
    bool keep_sigpipe_ignored = false;
    std::optional<ChildIdentity> identity;
};

// Moves a descriptor above 0-2 (close-on-exec) so that a child's dup2 onto
// its standard descriptors never clobbers another one it still needs; needed
// when this process runs with a standard descriptor closed. False with errno set.
bool lift_above_stdio(UniqueFd& fd);

// A close-on-exec pipe whose ends are both above descriptor 2; an error is errno.
struct ChildPipe {
    UniqueFd read_end;
    UniqueFd write_end;
};
Result<ChildPipe, int> make_child_pipe();

// Starts the child and returns its pid, which is also its process group. A
// failure after fork has already reaped the child.
Result<pid_t, SpawnFailure> spawn_process(const SpawnRequest& request);

// spawn_process in two halves, for a caller that starts several children
// before it waits for any: the fork, which returns at once, and the wait for
// the child's report, which tells whether its program really started.
struct StartingChild {
    pid_t pid = -1;
    // Readable once the program runs (end of file) or a step failed (a report).
    UniqueFd report;
};
Result<StartingChild, SpawnFailure> start_child(const SpawnRequest& request);
// Reads the report (waiting while it is not there yet): the pid when the
// program started, else the failure, after the child has been reaped.
Result<pid_t, SpawnFailure> confirm_started(StartingChild child);

// Blocks until the child ends (EINTR retried); an error is waitpid's errno.
Result<ExitStatus, int> wait_for_child(pid_t pid);

}  // namespace tarnwick::platform
