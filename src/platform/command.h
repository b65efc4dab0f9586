#pragma once
// The one way the program runs another program: by name through PATH (or by
// the path given when the name holds a "/"), never through a shell, with
// stdin on /dev/null, default signal dispositions and only descriptors 0-2.
// The caller waits for the child without a time limit.

#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace tarnwick::platform {

// How the child ended.
struct ExitStatus {
    bool exited = false;  // true: ended through exit() with `code`
    int code = 0;         // the exit status when exited, else the signal number

    bool success() const { return exited && code == 0; }
    static ExitStatus from_wait_status(int status);
};

// A command that ran (whatever its exit status).
struct CommandOutput {
    ExitStatus status;
    std::string out;  // raw bytes of standard output
    std::string err;  // raw bytes of standard error

    bool success() const { return status.success(); }
    // The streams as UTF-8, invalid sequences replaced by U+FFFD.
    std::string out_text() const;
    std::string err_text() const;
};

// A command that could not be started at all. Every caller counts it as a
// failed command; `display_command_error` is for logs.
struct CommandError {
    enum class Kind {
        Spawn,  // pipe, /dev/null or fork failed in this process
        Exec,   // the program could not be executed (not found, not executable)
        Wait,   // waiting for the child failed
    };
    Kind kind = Kind::Exec;
    std::string program;
    int errnum = 0;
};

std::string display_command_error(const CommandError& error);

// Runs the program with standard output and standard error captured, both
// read at once so a child writing a lot to either never blocks.
Result<CommandOutput, CommandError> run_command(std::string_view program,
                                                const std::vector<std::string>& args);

// Runs the program with this process's own standard input, output and error
// (for commands whose output the user should see or that go to the console
// log through the standard-error capture).
Result<ExitStatus, CommandError> run_command_inheriting_streams(
    std::string_view program, const std::vector<std::string>& args);

}  // namespace tarnwick::platform
