#pragma once
// Captured standard error into the console log: the thread that turns the
// bytes of a pipe into console-log lines for the whole process, which the
// process can ask to catch up before it exits.

#include "core/result.h"

#include <chrono>
#include <cstddef>
#include <memory>

namespace tarnwick {

// The capture keeps at most this much of a line without a line feed; more is
// flushed as a line of its own so endless output cannot grow the process.
inline constexpr std::size_t kMaxPendingCapture = 64 * 1024;

// The running capture thread, as the rest of the process sees it.
class StderrCapture {
public:
    // Waits until everything written to the pipe before this call is in the
    // console log, an unterminated last line included (as at the end of
    // input). Never waits for the pipe to close, which a child holding its
    // write end may put off forever: true once the thread has caught up (or
    // has ended), false when it has not within `limit`.
    bool drain(std::chrono::milliseconds limit) const;

    struct State;
    explicit StderrCapture(std::shared_ptr<State> state) : state_(std::move(state)) {}

private:
    std::shared_ptr<State> state_;
};

// Runs the capture of `read_fd` on a detached thread named "tarnwick-stderr"
// until the pipe's input ends (or a read fails), then closes it. Returns
// errno when the thread cannot be started; the caller still owns `read_fd`
// then.
Result<StderrCapture, int> start_stderr_capture_thread(int read_fd);

}  // namespace tarnwick
