// The child-process runner itself, against small system programs, and what
// the test executables' own main does with the terminal and environment of
// whoever starts them.
#include "support/process.h"

#include "support/pty_session.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace tarnwick::test {
namespace {

TEST(RunProcess, FeedsStdinAndCapturesBothOutputs) {
    ProcessOptions options;
    options.stdin_data = std::string(1 << 20, 'x');  // more than a pipe holds
    const ProcessResult r = run_process("/bin/sh", {"-c", "cat; echo err >&2; exit 3"}, options);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, options.stdin_data);
    EXPECT_EQ(r.err, "err\n");
}

// A child that ends without reading its input must not take the test process
// down with SIGPIPE.
TEST(RunProcess, ChildThatIgnoresItsStdinEndsNormally) {
    ProcessOptions options;
    options.stdin_data = std::string(1 << 20, 'x');
    const ProcessResult r = run_process("/bin/true", {}, options);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
}

// What this process has of a terminal, a session and an environment, one
// line each, every line tagged.
std::string report(std::string_view tag) {
    std::string out;
    const std::string line_start = std::string(tag) + " ";
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    out += line_start + (tty >= 0 ? "tty=open" : "tty=errno " + std::to_string(errno)) + "\n";
    if (tty >= 0) ::close(tty);
    out += line_start + "leader=" + (::getsid(0) == ::getpid() ? "yes" : "no") + "\n";
    out += line_start + "stdin=" + (::isatty(STDIN_FILENO) ? "terminal" : "other") + "\n";
    for (char** e = environ; *e != nullptr; ++e) out += line_start + "env " + *e + "\n";
    return out;
}

void say(const std::string& text) {
    (void)!::write(STDOUT_FILENO, text.data(), text.size());
}

// The lines of `text` tagged `tag`, without the tag (LF or CR LF ends them).
std::vector<std::string> tagged(const std::string& text, std::string_view tag) {
    std::vector<std::string> lines;
    const std::string start = std::string(tag) + " ";
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with(start)) lines.push_back(line.substr(start.size()));
        at = end + 1;
    }
    return lines;
}

bool has(const std::vector<std::string>& lines, std::string_view line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string this_executable() {
    std::array<char, PATH_MAX> buf{};
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string();
}

std::vector<std::string> only(const char* test) {
    return {std::string("--gtest_filter=") + test, "--gtest_also_run_disabled_tests"};
}

// Started by the tests below: the report of this process.
TEST(ProcessProbe, DISABLED_Report) {
    say(report("probe"));
}

// Started on a pseudo-terminal by the tests below: a runner with a
// controlling terminal, as ctest is when a developer types scripts/test. It
// reports itself, then what run_process gives a child, then what
// --mouse-echo (which opens the terminal it runs in) does there.
TEST(ProcessProbe, DISABLED_RunChildren) {
    say(report("runner"));
    const ProcessResult probe = run_process("/proc/self/exe", only("ProcessProbe.DISABLED_Report"));
    for (const auto& line : tagged(probe.out, "probe")) say("child " + line + "\n");
    ScratchDir dir;
    const ProcessResult echo =
        run_process(TARNWICK_BINARY, {"--mouse-echo", "--mouse-echo-path", dir.file("echo.log")});
    say("mouse-echo status=" + std::to_string(echo.status) + "\n");
    say("mouse-echo err=" + echo.err + (echo.err.ends_with('\n') ? "" : "\n"));
}

TEST(RunProcess, ChildHasNoTerminalEvenWhenTheRunnerHasOne) {
    PtySession runner(
        {.program = "/proc/self/exe", .args = only("ProcessProbe.DISABLED_RunChildren")});
    ASSERT_TRUE(runner.started()) << runner.error();
    // Long enough for the runner's own deadline on a child that waits for good.
    ASSERT_EQ(runner.wait_exit(3 * PtySession::kDefaultTimeout), 0) << runner.output();
    const std::string& out = runner.output();
    // The runner has a terminal to keep away from its children.
    ASSERT_TRUE(has(tagged(out, "runner"), "tty=open")) << out;

    const auto child = tagged(out, "child");
    EXPECT_TRUE(has(child, "tty=errno " + std::to_string(ENXIO))) << out;
    EXPECT_TRUE(has(child, "leader=yes")) << out;
    EXPECT_TRUE(has(child, "stdin=other")) << out;

    // No terminal: --mouse-echo fails at once instead of waiting for mouse
    // reports on the runner's terminal, and leaves that terminal as it was.
    EXPECT_EQ(tagged(out, "mouse-echo"),
              (std::vector<std::string>{
                  "status=71", "err=ERROR: mouse-echo: No such device or address (os error 6)"}))
        << out;
    const auto settings = runner.settings();
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->c_lflag & (ICANON | ECHO | ISIG),
              static_cast<tcflag_t>(ICANON | ECHO | ISIG));
    EXPECT_EQ(out.find("\x1b[?1000h"), std::string::npos) << "mouse reporting switched on";
}

// A test executable started from a terminal with a caller's environment (a
// shell's child, as under ctest) leaves both before its first test. What the
// caller may choose stays: CI, TMPDIR.
TEST(TestMain, LeavesTheCallersTerminalAndEnvironment) {
    std::map<std::string, std::optional<std::string>> env = {
        {"NO_COLOR", "1"},
        {"LANG", "de_DE.UTF-8"},
        {"LC_ALL", "fr_FR.UTF-8"},
        {"LC_MESSAGES", "fr_FR.UTF-8"},
        {"TERM", "dumb"},
        {"TTY", "/dev/ttyv7"},
        {"HOME", "/nonexistent"},
        {"TARNWICK_MOUSE_TRACE", "1"},
        {"TARNWICK_FAKE_SERVICE_STATUS", "3"},
        {"PATH", "/nonexistent:/usr/bin:/bin"},
        {"CI", "probe-ci"},
        {"TMPDIR", "/tmp/probe-tmpdir"},
    };
    for (int i = 1; i <= 300; ++i) env["EXTRA_VAR_" + std::to_string(i)] = "value";
    // Not exec'd: the shell leads the terminal's session, the probe does not.
    std::vector<std::string> args = {"-c", "\"$0\" \"$@\"; exit $?", this_executable()};
    for (auto& a : only("ProcessProbe.DISABLED_Report")) args.push_back(std::move(a));
    PtySession s({.program = "/bin/sh", .args = std::move(args), .env = env});
    ASSERT_TRUE(s.started()) << s.error();
    ASSERT_EQ(s.wait_exit(), 0) << s.output();
    const auto probe = tagged(s.output(), "probe");
    ASSERT_TRUE(has(probe, "leader=no")) << s.output();

    EXPECT_TRUE(has(probe, "tty=errno " + std::to_string(ENXIO))) << s.output();
    EXPECT_TRUE(has(probe, "stdin=other")) << s.output();
    EXPECT_TRUE(has(probe, "env CI=probe-ci")) << s.output();
    EXPECT_TRUE(has(probe, "env TMPDIR=/tmp/probe-tmpdir")) << s.output();
    std::vector<std::string> passed_on;
    for (const auto& [name, value] : env) {
        if (name != "CI" && name != "TMPDIR" && has(probe, "env " + name + "=" + *value)) {
            passed_on.push_back(name);
        }
    }
    EXPECT_EQ(passed_on, std::vector<std::string>{});
    EXPECT_TRUE(std::any_of(probe.begin(), probe.end(), [](const std::string& l) {
        return l.starts_with("env PATH=");
    })) << s.output();
}

}  // namespace
}  // namespace tarnwick::test
