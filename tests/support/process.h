#pragma once
// Runs a program as a child process with captured output: the way tests drive
// the built binary and the fake platform commands.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::test {

struct ProcessOptions {
    // Environment of the child: the test's own environment with these changes
    // (nullopt removes a variable), or exactly `env` when `clear_env` is set.
    std::map<std::string, std::optional<std::string>> env;
    bool clear_env = false;
    std::string stdin_data;  // written to the child's stdin, then closed
    std::optional<std::string> cwd;
    // Run as this user and group (needs root); supplementary groups dropped.
    std::optional<uid_t> uid;
    std::optional<gid_t> gid;
    // Descriptors among 0, 1, 2 to leave closed in the child. A closed stdout
    // or stderr is not captured.
    std::vector<int> closed_fds;
    std::chrono::milliseconds timeout{30000};  // then the child is killed
};

struct ProcessResult {
    int status = -1;      // exit status; 128 + signal when killed by a signal
    bool exited = false;  // ended through exit()
    int signal = 0;       // the terminating signal, if any
    bool timed_out = false;
    std::string out;
    std::string err;
};

// Runs `program` (a path, or a name searched on PATH) with `args` (argv[1..])
// in a session of its own with no controlling terminal; its standard streams
// are pipes (or closed), never the test runner's.
ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options = {});

// Runs `body` in a forked child with a private mount namespace (mounts made
// there vanish with it): the child's exit status (128 + signal when killed),
// or kNoNamespace when the namespace cannot be had.
inline constexpr int kNoNamespace = 77;
int in_private_mount_namespace(const std::function<int()>& body);

// User and group ids of the account "nobody" (65534 when it has no entry).
uid_t nobody_uid();
gid_t nobody_gid();

}  // namespace tarnwick::test
