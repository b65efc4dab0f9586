#pragma once
// The way the program runs a platform command: by name through the absolute
// entries of PATH (or by the path given when the name holds a "/"), never
// through a shell, with stdin on /dev/null, default signal handling and only
// descriptors 0-2, in a process group of its own. Every run has a time limit,
// at which the whole group is killed, and captured output has a cap per
// stream, beyond which the rest is read and dropped.

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/spawn.h"

namespace tarnwick::platform {

// Search path used when PATH is unset (the base system's default).
inline constexpr std::string_view kDefaultSearchPath =
    "/sbin:/bin:/usr/sbin:/usr/bin:/usr/local/sbin:/usr/local/bin";

struct CommandLimits {
    std::chrono::milliseconds time_limit{10000};
    std::size_t output_cap = 1024 * 1024;  // bytes kept per captured stream
};

// A command that ran (whatever its exit status).
struct CommandOutput {
    ExitStatus status;
    std::string out;  // raw bytes of standard output, at most the cap
    std::string err;  // raw bytes of standard error, at most the cap

    bool success() const { return status.success(); }
    // The streams as UTF-8, invalid sequences replaced by U+FFFD.
    std::string out_text() const;
    std::string err_text() const;
};

// A command that could not be started, or that was killed at its time limit.
// Every caller counts it as a failed command; `display_command_error` is for
// logs and status lines.
struct CommandError {
    enum class Kind {
        Spawn,     // pipe, /dev/null or fork failed in this process
        Exec,      // the program could not be executed (not found, not executable)
        Wait,      // waiting for the child failed
        TimedOut,  // still running at the time limit: its process group was killed
    };
    Kind kind = Kind::Exec;
    std::string program;
    int errnum = 0;
    std::chrono::milliseconds time_limit{0};  // TimedOut only
};

std::string display_command_error(const CommandError& error);

// The files a command name stands for, in the order they are tried: the name
// itself when it holds a "/"; else the name in each entry of `search_path`
// that is an absolute folder (empty and relative entries are skipped, so a
// command is never taken from the working folder). Absent: kDefaultSearchPath.
std::vector<std::string> command_files(std::string_view program,
                                       std::optional<std::string_view> search_path);

// Runs the program with standard output and standard error captured, both
// read at once so a child writing a lot to either never blocks. Reading stops
// when the child has exited, even while a program it started still holds the
// pipes.
Result<CommandOutput, CommandError> run_command(std::string_view program,
                                                const std::vector<std::string>& args,
                                                const CommandLimits& limits = {});

// Commands that run at the same time, started and waited for from this
// thread: each starts at once and is waited for when its result is needed.
// While one is waited for, every other one is looked after too (its output
// read, its end noted, its time limit kept), so none stalls on a full pipe.
// Each command is started, limited and captured exactly as run_command does
// it, and gives the same result. Whatever still runs when the set goes away
// is killed and reaped.
class CommandSet {
public:
    using Handle = std::size_t;

    CommandSet();
    ~CommandSet();
    CommandSet(const CommandSet&) = delete;
    CommandSet& operator=(const CommandSet&) = delete;

    // Starts the program with its output captured (a start failure becomes
    // its result).
    Handle start(std::string_view program, const std::vector<std::string>& args,
                 const CommandLimits& limits = {});

    // Waits for the command and hands over its result; once per handle.
    Result<CommandOutput, CommandError> finish(Handle handle);

    // How many commands have started and not been waited for yet.
    std::size_t unfinished() const;

private:
    friend Result<ExitStatus, CommandError> run_command_inheriting_streams(
        std::string_view, const std::vector<std::string>&, const CommandLimits&);
    struct Child;
    Handle launch(std::string_view program, const std::vector<std::string>& args,
                  const CommandLimits& limits, bool capture);
    void wait_for(Child& target);

    std::vector<std::unique_ptr<Child>> children_;
};

// Runs the program with this process's own standard input, output and error
// (for commands whose output the user should see or that go to the console
// log through the standard-error capture).
Result<ExitStatus, CommandError> run_command_inheriting_streams(
    std::string_view program, const std::vector<std::string>& args,
    const CommandLimits& limits = {});

}  // namespace tarnwick::platform
