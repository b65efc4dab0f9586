#include "platform/command.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "core/text.h"
#include "support/scoped_env.h"
#include "support/scratch_dir.h"
#include "support/wait_for.h"

namespace tarnwick::platform {
namespace {

CommandOutput run_sh(const std::string& script) {
    auto result = run_command("sh", {"-c", script});
    EXPECT_TRUE(result.has_value()) << display_command_error(result.error());
    return result ? *result : CommandOutput{};
}

// Each order fills one pipe far past its buffer and past the cap while the
// other stays open: the child still finishes, and each stream keeps its
// first bytes up to the cap.
TEST(RunCommand, CapsLargeOutputOnBothStreamsWithoutBlocking) {
    struct Case {
        const char* script;
        std::size_t cap;
        std::size_t out_size;
        std::size_t err_size;
    };
    const Case cases[] = {
        {"yes err | head -c 3000000 >&2; yes out | head -c 2000000", 1024 * 1024, 1024 * 1024,
         1024 * 1024},
        {"yes out | head -c 2000000; yes err | head -c 3000000 >&2", 1024 * 1024, 1024 * 1024,
         1024 * 1024},
        {"yes out | head -c 4000; yes err | head -c 100000 >&2", 4096, 4000, 4096},
        {"printf 12345678", 8, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        CommandLimits limits;
        limits.output_cap = c.cap;
        auto result = run_command("sh", {"-c", c.script}, limits);
        ASSERT_TRUE(result.has_value()) << display_command_error(result.error());
        EXPECT_TRUE(result->success());
        EXPECT_EQ(result->out.size(), c.out_size);
        EXPECT_EQ(result->err.size(), c.err_size);
        if (c.out_size >= 8 && c.cap > 8) {
            EXPECT_EQ(result->out.substr(0, 8), "out\nout\n");
        }
        if (c.err_size >= 8) {
            EXPECT_EQ(result->err.substr(0, 8), "err\nerr\n");
        }
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

namespace tarnwick::platform {
namespace {

// True once no process with this id runs any more (gone, or a zombie that
// nobody but init will reap).
bool process_gone(pid_t pid) {
    const std::string stat_path = "/proc/" + std::to_string(pid) + "/stat";
    return test::wait_for(
        [&] {
            const std::string stat = test::read_file(stat_path);
            const auto paren = stat.rfind(')');
            return stat.empty() || (paren != std::string::npos && stat.substr(paren + 2, 1) == "Z");
        },
        std::chrono::seconds(20));
}

// A command still running at its limit is killed with everything it started
// (its process group), and the result says so.
TEST(RunCommandLimits, TimeLimitKillsTheWholeProcessGroup) {
    test::ScratchDir dir;
    const std::string pid_file = dir.file("grandchild");
    CommandLimits limits;
    limits.time_limit = std::chrono::milliseconds(500);
    // The grandchild holds the pipes too and the child waits for it.
    auto captured = run_command(
        "sh", {"-c", "sleep 600 & echo $! > " + pid_file + "; echo started; wait"}, limits);
    ASSERT_FALSE(captured.has_value());
    EXPECT_EQ(captured.error().kind, CommandError::Kind::TimedOut);
    EXPECT_EQ(display_command_error(captured.error()),
              "sh did not finish within 500 ms and was stopped");
    const std::string grandchild = test::read_file(pid_file);
    ASSERT_FALSE(grandchild.empty());
    EXPECT_TRUE(process_gone(static_cast<pid_t>(std::stol(grandchild))));

    limits.time_limit = std::chrono::seconds(1);
    auto inherited = run_command_inheriting_streams("sleep", {"600"}, limits);
    ASSERT_FALSE(inherited.has_value());
    EXPECT_EQ(inherited.error().kind, CommandError::Kind::TimedOut);
    EXPECT_EQ(display_command_error(inherited.error()),
              "sleep did not finish within 1 s and was stopped");
}

// The child exits while a program it left running still holds its output
// pipes: the result is the child's, long before that program ends (it would
// otherwise run into the time limit).
TEST(RunCommandLimits, StopsReadingWhenTheChildHasExited) {
    CommandLimits limits;
    limits.time_limit = std::chrono::seconds(60);
    auto result = run_command("sh", {"-c", "sleep 600 & echo $!; echo to-err >&2; exit 4"}, limits);
    ASSERT_TRUE(result.has_value()) << display_command_error(result.error());
    const std::string out = result->out;
    ASSERT_FALSE(out.empty());
    const auto grandchild = static_cast<pid_t>(std::stol(out));
    ::kill(grandchild, SIGKILL);
    EXPECT_TRUE(result->status.exited);
    EXPECT_EQ(result->status.code, 4);
    EXPECT_EQ(result->err, "to-err\n");
}

// A command started after another runs while the first is waited for, and
// the first's output is read meanwhile: the first fills its pipe far past
// its buffer before it lets the second finish, so a set that ran them one
// after the other, or left a pipe unread, would stop both at their limits.
TEST(CommandSet, CommandsRunTogetherAndEachKeepsItsOutput) {
    test::ScratchDir dir;
    const std::string flag = dir.file("flag");
    CommandLimits limits;
    limits.time_limit = std::chrono::seconds(20);
    CommandSet set;
    const auto waiting = set.start(
        "sh", {"-c", "while [ ! -e " + flag + " ]; do sleep 0.01; done; echo second"}, limits);
    const auto writer =
        set.start("sh", {"-c", "yes out | head -c 300000; echo err >&2; touch " + flag}, limits);
    EXPECT_EQ(set.unfinished(), 2u);

    auto second = set.finish(waiting);
    ASSERT_TRUE(second.has_value()) << display_command_error(second.error());
    EXPECT_EQ(second->out, "second\n");
    EXPECT_EQ(set.unfinished(), 1u);
    auto first = set.finish(writer);
    ASSERT_TRUE(first.has_value()) << display_command_error(first.error());
    EXPECT_TRUE(first->success());
    EXPECT_EQ(first->out.size(), 300000u);
    EXPECT_EQ(first->err, "err\n");
    EXPECT_EQ(set.unfinished(), 0u);
}

// Each command of a set gives what run_command gives for it, whatever order
// they are waited for in.
TEST(CommandSet, ResultsAreThoseOfRunCommandInAnyOrder) {
    struct Case {
        const char* program;
        std::vector<std::string> args;
        CommandLimits limits;
    };
    CommandLimits short_limit;
    short_limit.time_limit = std::chrono::milliseconds(300);
    CommandLimits small_cap;
    small_cap.output_cap = 5;
    const std::vector<Case> cases = {
        {"sh", {"-c", "echo out; echo err >&2; exit 3"}, {}},
        {"sh", {"-c", "kill -TERM $$"}, {}},
        {"/nonexistent/program", {}, {}},
        {"no-such-program-anywhere", {}, {}},
        {"sleep", {"30"}, short_limit},
        {"sh", {"-c", "echo 0123456789"}, small_cap},
    };
    auto same = [](const Result<CommandOutput, CommandError>& a,
                   const Result<CommandOutput, CommandError>& b) {
        if (a.has_value() != b.has_value()) return false;
        if (!a) return display_command_error(a.error()) == display_command_error(b.error());
        return a->status.exited == b->status.exited && a->status.code == b->status.code &&
               a->out == b->out && a->err == b->err;
    };
    CommandSet set;
    std::vector<CommandSet::Handle> handles;
    for (const Case& c : cases) handles.push_back(set.start(c.program, c.args, c.limits));
    for (std::size_t i = cases.size(); i-- > 0;) {
        SCOPED_TRACE(cases[i].program + std::string(" ") +
                     (cases[i].args.empty() ? "" : cases[i].args.back()));
        const auto together = set.finish(handles[i]);
        const auto alone = run_command(cases[i].program, cases[i].args, cases[i].limits);
        EXPECT_TRUE(same(together, alone));
    }
}

// Commands still running when the set goes away are killed and reaped.
TEST(CommandSet, EndingTheSetStopsWhatStillRuns) {
    test::ScratchDir dir;
    const std::string pid_file = dir.file("pid");
    pid_t pid = 0;
    {
        CommandSet set;
        (void)set.start("sh", {"-c", "echo $$ > " + pid_file + ".tmp; mv " + pid_file + ".tmp " +
                                         pid_file + "; exec sleep 600"});
        ASSERT_TRUE(test::wait_for([&] { return !test::read_file(pid_file).empty(); },
                                   std::chrono::seconds(20)));
        pid = static_cast<pid_t>(std::stol(test::read_file(pid_file)));
    }
    EXPECT_TRUE(process_gone(pid));
}

TEST(CommandFiles, LooksOnlyInAbsoluteSearchPathEntries) {
    struct Case {
        const char* program;
        std::optional<std::string_view> path;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"ifconfig", "/sbin:/usr/sbin", {"/sbin/ifconfig", "/usr/sbin/ifconfig"}},
        // Empty and relative entries would run a program from the working folder.
        {"ifconfig", ":/sbin::.:bin:./x:/usr/bin/:", {"/sbin/ifconfig", "/usr/bin/ifconfig"}},
        {"ifconfig", "", {}},
        {"ifconfig", ".", {}},
        {"id",
         std::nullopt,
         {"/sbin/id", "/bin/id", "/usr/sbin/id", "/usr/bin/id", "/usr/local/sbin/id",
          "/usr/local/bin/id"}},
        // A name with a slash is a path and never searched.
        {"/etc/rc.d/netif", "/sbin", {"/etc/rc.d/netif"}},
        {"./ifconfig", "/sbin", {"./ifconfig"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " in " + std::string(c.path.value_or("(unset)")));
        EXPECT_EQ(command_files(c.program, c.path), c.files);
    }
}

// The working folder holds a program of the name asked for; with PATH
// unset, empty or naming "." it is never run.
TEST(CommandFiles, NeverRunsAProgramFromTheWorkingFolder) {
    test::ScratchDir dir;
    dir.write("true", "#!/bin/sh\necho planted\n", 0755);
    char old_cwd[4096];
    ASSERT_NE(::getcwd(old_cwd, sizeof old_cwd), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    for (const std::optional<std::string>& path :
         {std::optional<std::string>(":"), std::optional<std::string>(".:/nonexistent"),
          std::optional<std::string>()}) {
        SCOPED_TRACE(path.value_or("(unset)"));
        test::ScopedEnv env("PATH", path);
        auto result = run_command("true", {});
        if (path) {
            ASSERT_FALSE(result.has_value());
            EXPECT_EQ(result.error().errnum, ENOENT);
        } else {
            // Unset: the system's default folders, where the real one lives.
            ASSERT_TRUE(result.has_value()) << display_command_error(result.error());
            EXPECT_TRUE(result->success());
            EXPECT_EQ(result->out, "");
        }
    }
    ASSERT_EQ(::chdir(old_cwd), 0);
}

}  // namespace
}  // namespace tarnwick::platform
