#pragma once

namespace tarnwick::app {

// Replaces descriptor 2 with a pipe drained into the console log by the
// "tarnwick-stderr" thread; the ring is first seeded from the log file's tail.
// Runs at most once per process, also after a failed first attempt; a failure
// is reported on standard error and the session goes on.
void install_stderr_capture();

// Before the process exits: waits (a few seconds at most) until what was
// written to standard error so far is in the console log. Never waits for
// the children that may still hold the pipe. Does nothing without a capture.
void finish_stderr_capture();

}  // namespace tarnwick::app
