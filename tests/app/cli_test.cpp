// The built binary driven as a process: help, version, usage errors, mode
// selection and the start-up rules.

#include "support/ci_gate.h"
#include "support/process.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tarnwick::app {
namespace {

using test::ProcessOptions;
using test::ProcessResult;
using test::run_process;

ProcessResult tarnwick(const std::vector<std::string>& args, ProcessOptions options = {}) {
    return run_process(TARNWICK_BINARY, args, options);
}

ProcessOptions as_nobody() {
    ProcessOptions o;
    o.uid = test::nobody_uid();
    o.gid = test::nobody_gid();
    return o;
}

TEST(Cli, VersionGoesToStdoutWithStatusZero) {
    for (const char* flag : {"--version", "-V"}) {
        const auto r = tarnwick({flag});
        EXPECT_EQ(r.status, 0) << flag;
        EXPECT_EQ(r.out, "tarnwick 0.1.1\n") << flag;
        EXPECT_EQ(r.err, "") << flag;
    }
}

TEST(Cli, HelpListsTheOptionsButNotTheHiddenMouseFlag) {
    const auto r = tarnwick({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("FreeBSD TTY menu-based login replacement"), std::string::npos);
    for (const char* text :
         {"--tty TTY", "--config-dir CONFIG_DIR", "--color COLOR", "--user USER", "--locale LOCALE",
          "--dry-run", "--screen-matrix", "--check-config", "--smoke-mouse", "--mouse-echo ",
          "--mouse-echo-path MOUSE_ECHO_PATH", "--mouse-echo-max MOUSE_ECHO_MAX", "auto", "always",
          "never", "/usr/local/etc/tarnwick", "/tmp/tarnwick-mouse-echo.log", "Color mode",
          "TTY device path (normal mode)"}) {
        EXPECT_NE(r.out.find(text), std::string::npos) << text;
    }
    for (std::size_t at = r.out.find("--mouse"); at != std::string::npos;
         at = r.out.find("--mouse", at + 1)) {
        EXPECT_EQ(r.out.compare(at, 8, "--mouse-"), 0) << r.out;
    }
    EXPECT_EQ(r.out.find("Accepted for CLI compatibility"), std::string::npos);
}

TEST(Cli, UsageErrorsGoToStderrWithStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"--color", "Never"},
        {"--color=Always"},
        {"--color", ""},
        {"--color"},
        {"--mouse-echo-max", "-1"},
        {"--mouse-echo-max=x"},
        {"--mouse-echo-max="},
        {"--mouse-echo-max", " 1"},
        {"--mouse-echo-max", "0x10"},
        {"--mouse-echo-max", "18446744073709551616"},
        {"--tty"},
        {"--no-such-option"},
        {"positional"},
        {"-t", "/dev/ttyv1"},
        // Flags take no value, whatever it says.
        {"--smoke-mouse=false", "--check-config"},
        {"--dry-run=off"},
        {"--check-config=1"},
        {"--screen-matrix=true"},
        {"--mouse-echo="},
        {"--mouse=yes"},
        {"--help=x"},
        {"--version=0"},
    };
    for (const auto& args : cases) {
        const auto r = tarnwick(args);
        const std::string label = args[0] + (args.size() > 1 ? " " + args[1] : "");
        EXPECT_EQ(r.status, 2) << label;
        EXPECT_EQ(r.out, "") << label;
        EXPECT_NE(r.err, "") << label;
    }
    const auto color = tarnwick({"--color", "Never"});
    for (const char* word : {"auto", "always", "never"})
        EXPECT_NE(color.err.find(word), std::string::npos);
}

// Which offline mode produced this output: each leaves its own mark.
std::string mode_that_ran(const ProcessResult& r) {
    if (r.out.find("MOUSE_SMOKE_OK") != std::string::npos || r.out.rfind("PASS ", 0) == 0)
        return "--smoke-mouse";
    if (r.out.find("MATRIX_SUMMARY") != std::string::npos) return "--screen-matrix";
    if (r.out == "OK\n") return "--check-config";
    if (r.out.find("\nadmin: ") != std::string::npos) return "--dry-run";
    if (r.err.find("mouse-echo") != std::string::npos) return "--mouse-echo";
    return "unknown: " + r.out + r.err;
}

// The first selected mode of the fixed order is the one that runs.
TEST(Cli, RunsOnlyTheFirstSelectedModeOfTheFixedOrder) {
    test::ScratchDir config;
    config.write("config.json", "{}");
    config.write("locales/en-US/tarnwick.ftl", "locale.native_name = English\nt = T\n");
    config.write(
        "templates/pages/login.twml",
        R"(<screen id="l" title-key="t"><main><field id="user"/><field id="password"/></main></screen>)");
    const struct {
        std::vector<std::string> args;
        const char* mode;
    } cases[] = {
        {{"--dry-run", "--check-config"}, "--check-config"},
        {{"--mouse-echo", "--smoke-mouse"}, "--smoke-mouse"},
        {{"--dry-run", "--screen-matrix"}, "--screen-matrix"},
        {{"--screen-matrix", "--check-config", "--mouse-echo"}, "--mouse-echo"},
        {{"--dry-run", "--user", "alice", "--tty", "/nonexistent"}, "--dry-run"},
        {{"--color=never", "--mouse-echo-max", "0", "--check-config"}, "--check-config"},
        {{"--mouse-echo-max=18446744073709551615", "--mouse-echo"}, "--mouse-echo"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(),
                    {"--config-dir", config.path(), "--mouse-echo-path", config.file("echo.log")});
        EXPECT_EQ(mode_that_ran(tarnwick(args)), c.mode) << c.args[0];
    }
}

TEST(Cli, NormalModeNeedsRootAndTouchesNothingElse) {
    REQUIRE_ROOT("needs root to run the binary as another user");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"--mouse"},
             {"--user", "alice"},
             {"--config-dir", "/nonexistent", "--tty", "/dev/null"}}) {
        const auto r = tarnwick(args, as_nobody());
        EXPECT_EQ(r.status, 77) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.err, "must be run as root\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST(Cli, OfflineModesRunWithoutRoot) {
    REQUIRE_ROOT("needs root to run the binary as another user");
    test::ScratchDir config;
    config.write("config.json", "{}");
    ASSERT_EQ(::chmod(config.path().c_str(), 0755), 0);
    const auto r = tarnwick(
        {"--check-config", "--tty", "/dev/ttyv9", "--config-dir", config.path()}, as_nobody());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "OK\n");
}

TEST(Cli, StartsNormallyWithStandardDescriptorsClosed) {
    ProcessOptions no_in_out;
    no_in_out.closed_fds = {0, 1};
    const auto check = tarnwick({"--check-config", "--config-dir", "/nonexistent"}, no_in_out);
    EXPECT_EQ(check.status, 78);
    EXPECT_EQ(check.err, "ERROR: config dir not found: /nonexistent\n");

    ProcessOptions no_in_err;
    no_in_err.closed_fds = {0, 2};
    const auto r = tarnwick({"--version"}, no_in_err);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "tarnwick 0.1.1\n");

    ProcessOptions all;
    all.closed_fds = {0, 1, 2};
    EXPECT_EQ(tarnwick({"--color=bad"}, all).status, 2);
}

// The error result of the console session, seen as root inside a private
// mount namespace whose /var/log is a scratch folder and whose console
// devices are /dev/null, so no terminal can be attached.
TEST(Cli, ConsoleSessionErrorIsLoggedAndReported) {
    REQUIRE_ROOT("needs root to run the binary as another user");
    test::ScratchDir log_dir;
    const auto r = run_process(
        "unshare", {"--mount", "--propagation", "private", "--", "sh", "-c",
                    "mount --bind \"$0\" /var/log && for d in /dev/console /dev/tty /dev/ttyv0; do "
                    "[ -e $d ] && mount --bind /dev/null $d; done; exec \"$1\"",
                    log_dir.path(), TARNWICK_BINARY});
    if (r.status != 70 && r.err.find("unshare") != std::string::npos) {
        SKIP_OR_FAIL_IN_CI("no mount namespace here: " + r.err);
    }
    EXPECT_EQ(r.status, 70);
    EXPECT_EQ(
        r.err,
        "tarnwick error: could not attach a console TTY (see /var/log/tarnwick-console.log)\n");
    // The best-effort terminal restore runs before the report.
    EXPECT_EQ(r.out,
              "\x1b[?1006l\x1b[?1015l\x1b[?1003l\x1b[?1002l\x1b[?1000l\x1b[?1049l\x1b[2J\x1b[1;"
              "1H\x1b[?25h");
    const std::string log = log_dir.read("tarnwick-console.log");
    const std::string suffix = "] tarnwick error: could not attach a console TTY\n";
    ASSERT_GT(log.size(), suffix.size()) << log;
    EXPECT_EQ(log.substr(log.size() - suffix.size()), suffix);
    EXPECT_EQ(log.find('\n'), log.size() - 1) << log;
    EXPECT_EQ(log.find_first_not_of("0123456789", 1), log.size() - suffix.size()) << log;
}

}  // namespace
}  // namespace tarnwick::app

namespace tarnwick::app {
namespace {

// Terminal attach, with standard input no terminal and every console device
// of the namespace replaced by /dev/null: candidates that are missing or no
// terminal are skipped (a plain file is never written into), one that cannot
// be opened ends the session at once.
TEST(Cli, ConsoleAttachSkipsNonTerminalsAndStopsAtAnUnopenableOne) {
    REQUIRE_ROOT("needs root to run the binary as another user");
    test::ScratchDir dir;
    const std::string plain = dir.path() + "/plain";
    {
        std::FILE* f = std::fopen(plain.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    struct Case {
        std::string tty;
        std::string error;
    };
    const Case cases[] = {
        {plain, "could not attach a console TTY"},
        {dir.path() + "/missing", "could not attach a console TTY"},
        {dir.path(), "open " + dir.path() + ": Is a directory (os error 21)"},
    };
    for (const auto& c : cases) {
        const auto r = run_process(
            "unshare",
            {"--mount", "--propagation", "private", "--", "sh", "-c",
             "mount --bind \"$0\" /var/log && for d in /dev/console /dev/tty /dev/ttyv0; do "
             "[ -e $d ] && mount --bind /dev/null $d; done; exec \"$1\" --tty \"$2\"",
             dir.path(), TARNWICK_BINARY, c.tty});
        if (r.status != 70 && r.err.find("unshare") != std::string::npos) {
            SKIP_OR_FAIL_IN_CI("no mount namespace here: " + r.err);
        }
        EXPECT_EQ(r.status, 70) << c.tty;
        EXPECT_EQ(r.err, "tarnwick error: " + c.error + " (see /var/log/tarnwick-console.log)\n");
        struct stat st {};
        ASSERT_EQ(::stat(plain.c_str(), &st), 0);
        EXPECT_EQ(st.st_size, 0) << "a plain --tty file was written into";
    }
}

}  // namespace
}  // namespace tarnwick::app
