// The main of every test executable. The tests run alike whoever starts them
// (ctest from a developer's terminal, a shell, CI): before the first test the
// process leaves the caller's terminal, so nothing can read it, change its
// settings or take its foreground, and the caller's environment gives way to
// a fixed one, so no locale, NO_COLOR, switch of the fake commands or flood of
// variables changes what a test sees.
//
// A process that leads its own session was started by the tests themselves:
// run_process and PtySession start every child so, with no terminal or on a
// pseudo-terminal of the test's own. It keeps the terminal and the
// environment it was given.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kSystemPath = "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";

// What the caller may choose: the CI switch (skips become failures), where
// scratch folders go, the sanitizers' settings, the libraries the built
// programs load, and Google Test's own options.
bool kept_from_caller(std::string_view name) {
    return name == "CI" || name == "TMPDIR" || name == "LD_LIBRARY_PATH" ||
           name.starts_with("GTEST_") || name.ends_with("SAN_OPTIONS");
}

void settle_environment() {
    std::vector<std::pair<std::string, std::string>> kept;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        const std::string_view entry(*e);
        const auto eq = entry.find('=');
        if (eq == std::string_view::npos || !kept_from_caller(entry.substr(0, eq))) continue;
        kept.emplace_back(entry.substr(0, eq), entry.substr(eq + 1));
    }
    ::clearenv();
    ::setenv("PATH", kSystemPath, 1);
    for (const auto& [name, value] : kept) ::setenv(name.c_str(), value.c_str(), 1);
}

// False when the caller's terminal is still within reach.
bool leave_callers_terminal() {
    // A read, tcsetpgrp or tcflush on descriptor 0 would act on the terminal.
    if (::isatty(STDIN_FILENO)) {
        const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (null < 0 || ::dup2(null, STDIN_FILENO) != STDIN_FILENO) return false;
        ::close(null);
    }
    // This process leads no session, so TIOCNOTTY detaches it alone and sends
    // no signal; it stays in its process group, and Ctrl-C on the terminal
    // still ends the run.
    int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return true;
    (void)::ioctl(tty, TIOCNOTTY);
    ::close(tty);
    tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return true;
    ::close(tty);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (::getsid(0) != ::getpid()) {
        if (!leave_callers_terminal()) {
            std::fputs("cannot leave the caller's terminal\n", stderr);
            return 1;
        }
        settle_environment();
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
