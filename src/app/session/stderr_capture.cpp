#include "app/session/stderr_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>

#include "core/console_log.h"
#include "core/text.h"

namespace tarnwick::app {
namespace {

std::mutex install_lock;
bool installed = false;

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
    if (auto started = start_stderr_capture_thread(fds[0]); !started) {
        close(fds[0]);
        report(started.error());
        return;
    }
    log_console_str("console diagnostics capture installed");
}

}  // namespace tarnwick::app
