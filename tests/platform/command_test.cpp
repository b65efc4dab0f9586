#include "platform/command.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <sstream>
#include <string>

#include "core/text.h"

namespace tarnwick::platform {
namespace {

CommandOutput run_sh(const std::string& script) {
    auto result = run_command("sh", {"-c", script});
    EXPECT_TRUE(result.has_value()) << display_command_error(result.error());
    return result ? *result : CommandOutput{};
}

TEST(RunCommand, CapturesLargeOutputOnBothStreamsWithoutBlocking) {
    // Each order fills one pipe far past its buffer while the other stays open.
    struct Case {
        const char* script;
    };
    const Case cases[] = {
        {"yes err | head -c 3000000 >&2; yes out | head -c 2000000"},
        {"yes out | head -c 2000000; yes err | head -c 3000000 >&2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const CommandOutput output = run_sh(c.script);
        EXPECT_TRUE(output.success());
        EXPECT_EQ(output.out.size(), 2000000u);
        EXPECT_EQ(output.err.size(), 3000000u);
        EXPECT_EQ(output.out.substr(0, 8), "out\nout\n");
        EXPECT_EQ(output.err.substr(0, 8), "err\nerr\n");
    }
}

TEST(RunCommand, TellsExitStatusSignalAndStartFailureApart) {
    const CommandOutput exited = run_sh("echo partial; exit 3");
    EXPECT_TRUE(exited.status.exited);
    EXPECT_EQ(exited.status.code, 3);
    EXPECT_FALSE(exited.success());
    EXPECT_EQ(exited.out, "partial\n");

    const CommandOutput killed = run_sh("kill -TERM $$; sleep 5");
    EXPECT_FALSE(killed.status.exited);
    EXPECT_EQ(killed.status.code, SIGTERM);
    EXPECT_FALSE(killed.success());

    struct Missing {
        const char* program;
        int errnum;
    };
    const Missing missing[] = {
        {"tarnwick-no-such-program", ENOENT},
        {"/nonexistent/tarnwick-no-such-program", ENOENT},
        {"/etc/passwd", EACCES},  // exists, not executable
    };
    for (const Missing& m : missing) {
        SCOPED_TRACE(m.program);
        auto result = run_command(m.program, {});
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().kind, CommandError::Kind::Exec);
        EXPECT_EQ(result.error().errnum, m.errnum);
        EXPECT_NE(display_command_error(result.error()).find(m.program), std::string::npos);
    }
}

TEST(RunCommand, PassesArgumentsVerbatimWithoutShell) {
    auto result = run_command("printf", {"[%s]", "a b", "$HOME", "*", ""});
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->out, "[a b][$HOME][*][]");
}

TEST(RunCommand, FindsProgramThroughPathOnly) {
    char dir_template[] = "/tmp/tarnwick-cmd-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string dir = dir_template;
    const std::string script = dir + "/tarnwick-probe";
    {
        const int fd = ::open(script.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0755);
        ASSERT_GE(fd, 0);
        const std::string body = "#!/bin/sh\necho found \"$0\"\n";
        ASSERT_EQ(::write(fd, body.data(), body.size()), static_cast<ssize_t>(body.size()));
        ::close(fd);
    }
    const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", ("/nonexistent:" + dir + ":/usr/bin:/bin").c_str(), 1);
    auto found = run_command("tarnwick-probe", {});
    ::setenv("PATH", old_path.c_str(), 1);
    ::unlink(script.c_str());
    ::rmdir(dir.c_str());
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->out, "found " + script + "\n");
}

TEST(RunCommand, DecodesOutputLossily) {
    const CommandOutput output = run_sh("printf 'a\\377b'; printf '\\300x' >&2");
    EXPECT_EQ(output.out,
              "a\xFF"
              "b");
    EXPECT_EQ(output.out_text(),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(output.err_text(), "\xEF\xBF\xBDx");
}

// The child sees 0 on /dev/null, 1 and 2 on pipes, and nothing else, even
// when this process holds a descriptor that is not close-on-exec.
TEST(RunCommand, ChildHasOnlyStandardDescriptors) {
    const int leaky = ::open("/dev/null", O_RDONLY);  // deliberately inheritable
    ASSERT_GE(leaky, 3);
    auto result = run_command("ls", {"-l", "/proc/self/fd/"});
    ::close(leaky);
    ASSERT_TRUE(result.has_value());
    std::map<int, std::string> fds;
    std::istringstream lines(result->out);
    for (std::string line; std::getline(lines, line);) {
        const auto arrow = line.find(" -> ");
        if (arrow == std::string::npos) continue;
        const auto words = split_words(std::string_view(line).substr(0, arrow));
        const std::string target = line.substr(arrow + 4);
        if (target.rfind("/proc/", 0) == 0) continue;  // ls's own listing of the folder
        fds[std::stoi(std::string(words.back()))] = target;
    }
    ASSERT_EQ(fds.size(), 3u) << result->out;
    EXPECT_EQ(fds[0], "/dev/null");
    EXPECT_EQ(fds[1].rfind("pipe:", 0), 0u);
    EXPECT_EQ(fds[2].rfind("pipe:", 0), 0u);
}

// This process ignores SIGPIPE and blocks SIGUSR1; the child must start with
// neither.
TEST(RunCommand, ChildStartsWithDefaultSignalHandling) {
    struct sigaction ignore {
    }, old_pipe{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &old_pipe);
    sigset_t block, old_mask;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR1);
    ::sigprocmask(SIG_BLOCK, &block, &old_mask);

    auto result = run_command("cat", {"/proc/self/status"});

    ::sigprocmask(SIG_SETMASK, &old_mask, nullptr);
    ::sigaction(SIGPIPE, &old_pipe, nullptr);
    ASSERT_TRUE(result.has_value());
    EXPECT_NE(result->out.find("SigIgn:\t0000000000000000\n"), std::string::npos) << result->out;
    EXPECT_NE(result->out.find("SigBlk:\t0000000000000000\n"), std::string::npos) << result->out;
}

TEST(RunCommandInheritingStreams, UsesOwnStreamsAndReportsStatus) {
    auto ok = run_command_inheriting_streams("sh", {"-c", "exit 0"});
    ASSERT_TRUE(ok.has_value());
    EXPECT_TRUE(ok->success());
    auto failed = run_command_inheriting_streams("sh", {"-c", "exit 1"});
    ASSERT_TRUE(failed.has_value());
    EXPECT_FALSE(failed->success());
    auto missing = run_command_inheriting_streams("/nonexistent/shutdown", {"-p", "now"});
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().errnum, ENOENT);
}

}  // namespace
}  // namespace tarnwick::platform
