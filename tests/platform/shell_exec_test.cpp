#include "platform/shell_exec.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "support/ci_gate.h"
#include "support/process.h"
#include "support/scratch_dir.h"

namespace tarnwick::platform {
namespace {

ShellLaunch launch_as_nobody(const std::string& shell, const std::string& home) {
    ShellLaunch launch;
    launch.user = "nobody";
    launch.uid = static_cast<std::uint32_t>(test::nobody_uid());
    launch.gid = static_cast<std::uint32_t>(test::nobody_gid());
    launch.home = home;
    launch.shell_path = shell;
    launch.env = {{"PATH", "/usr/bin:/bin"}};
    return launch;
}

// The shell runs as the account, in "/" when its home cannot be entered, with
// the job-control signals at their defaults and SIGPIPE ignored; its exit
// status comes back, and this process's own handling is as it was before.
TEST(RunAsUserAndWait, RunsTheShellAsTheAccount) {
    REQUIRE_ROOT("needs root to switch users");
    test::ScratchDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string out = dir.mkdir("out");
    ASSERT_EQ(::chmod(out.c_str(), 0777), 0);
    const std::string shell = dir.write("shell",
                                        "#!/bin/sh\n"
                                        "{ echo \"$(id -u) $(id -g) $(pwd)\"\n"
                                        "  grep '^SigIgn:' /proc/self/status; } > " +
                                            out +
                                            "/record\n"
                                            "exit 3\n",
                                        0755);
    auto ran = run_as_user_and_wait(launch_as_nobody(shell, "/nonexistent/home"));
    ASSERT_TRUE(ran.has_value()) << display_spawn_failure(ran.error());
    EXPECT_TRUE(ran->exited);
    EXPECT_EQ(ran->code, 3);
    const std::string record = test::read_file(out + "/record");
    EXPECT_EQ(record.substr(0, record.find('\n')),
              std::to_string(test::nobody_uid()) + " " + std::to_string(test::nobody_gid()) + " /");
    const auto at = record.find("SigIgn:\t");
    ASSERT_NE(at, std::string::npos) << record;
    const unsigned long long ignored = std::stoull(record.substr(at + 8, 16), nullptr, 16);
    for (const int sig : {SIGINT, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU}) {
        EXPECT_EQ(ignored & (1ULL << (sig - 1)), 0u) << "signal " << sig;
    }
    EXPECT_NE(ignored & (1ULL << (SIGPIPE - 1)), 0u);

    struct sigaction now {};
    ASSERT_EQ(::sigaction(SIGINT, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

// A child that fails before the shell runs says which step failed and why.
TEST(RunAsUserAndWait, ReportsTheStepThatFailed) {
    REQUIRE_ROOT("needs root to switch users");
    test::ScratchDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string not_executable = dir.write("not-executable", "#!/bin/sh\n", 0644);
    struct Case {
        std::string user;
        std::string shell;
        SpawnStep step;
        int errnum;
        std::string text;
    };
    const Case cases[] = {
        {"nobody", "/nonexistent/shell", SpawnStep::Exec, ENOENT,
         "execve: No such file or directory (os error 2)"},
        {"nobody", "", SpawnStep::Exec, ENOENT, "execve: No such file or directory (os error 2)"},
        {"nobody", not_executable, SpawnStep::Exec, EACCES,
         "execve: Permission denied (os error 13)"},
        {std::string("no\0body", 7), "/bin/true", SpawnStep::Initgroups, EINVAL,
         "initgroups: Invalid argument (os error 22)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shell);
        ShellLaunch launch = launch_as_nobody(c.shell, "/");
        launch.user = c.user;
        auto ran = run_as_user_and_wait(launch);
        ASSERT_FALSE(ran.has_value());
        EXPECT_EQ(ran.error().step, c.step);
        EXPECT_EQ(ran.error().errnum, c.errnum);
        EXPECT_EQ(display_spawn_failure(ran.error()), c.text);
    }
}

}  // namespace
}  // namespace tarnwick::platform
