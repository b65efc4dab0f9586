#include "app/session/stderr_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "core/console_capture.h"
#include "core/console_log.h"
#include "core/text.h"

namespace tarnwick::app {
namespace {

// The longest an exit waits for the capture thread to catch up; it only
// waits this long when the thread is stuck (a log file that cannot be written).
constexpr std::chrono::seconds kExitDrainLimit{3};

std::mutex install_lock;
bool installed = false;                // guarded by install_lock
std::optional<StderrCapture> capture;  // guarded by install_lock

void report(int err) {
    const std::string line =
        "tarnwick: diagnostics capture failed: " + system_error_text(err) + "\n";
    (void)!write(2, line.data(), line.size());
}

}  // namespace

void install_stderr_capture() {
    {
        std::lock_guard<std::mutex> guard(install_lock);
        if (installed) return;
        installed = true;
    }
    if (console_ring_len() == 0) seed_console_ring(read_console_log_tail());

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        report(errno);
        return;
    }
    // Descriptor 2 (the dup2 target) is not close-on-exec: children inherit it.
    if (dup2(fds[1], 2) < 0) {
        const int err = errno;
        close(fds[0]);
        close(fds[1]);
        report(err);
        return;
    }
    close(fds[1]);
    auto started = start_stderr_capture_thread(fds[0]);
    if (!started) {
        close(fds[0]);
        report(started.error());
        return;
    }
    {
        std::lock_guard<std::mutex> guard(install_lock);
        capture = std::move(*started);
    }
    log_console_str("console diagnostics capture installed");
}

void finish_stderr_capture() {
    std::fflush(stderr);
    std::optional<StderrCapture> running;
    {
        std::lock_guard<std::mutex> guard(install_lock);
        running = capture;
    }
    // Nobody is left to tell when the thread is stuck: the exit goes on.
    if (running) (void)running->drain(kExitDrainLimit);
}

}  // namespace tarnwick::app
