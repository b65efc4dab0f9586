// The shutdown command's two paths, with scratch programs standing in for
// /sbin/shutdown and the one on PATH: these tests never name the real ones.

#include "app/power/power_action.h"

#include "support/scoped_env.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::app {
namespace {

constexpr std::string_view kFallback = "tarnwick-test-shutdown";

class ShutdownPaths : public testing::Test {
protected:
    void SetUp() override {
        env_.set("PATH", scratch_.mkdir("path") + ":/usr/bin:/bin");
        env_.set("SHUTDOWN_LOG", scratch_.file("log"));
    }
    // A program that logs its name and arguments and exits with `status`.
    std::string program(std::string_view relative, std::string_view status, unsigned mode = 0755) {
        return scratch_.write(relative,
                              "#!/bin/sh\necho \"$(basename \"$0\") $*\" >>\"$SHUTDOWN_LOG\"\n" +
                                  std::string(status) + "\n",
                              mode);
    }
    std::string fallback(std::string_view status) {
        return program("path/" + std::string(kFallback), status);
    }
    std::string log() const { return scratch_.read("log"); }
    std::string run(const std::string& primary) {
        auto done = run_shutdown_with(primary, kFallback, {"-p", "now"});
        return done ? "ok" : done.error();
    }

    test::ScratchDir scratch_;
    test::ScopedEnv env_;
};

TEST_F(ShutdownPaths, FirstPathRunsWithTheArguments) {
    fallback("exit 0");
    EXPECT_EQ(run(program("sbin/shutdown", "exit 0")), "ok");
    EXPECT_EQ(log(), "shutdown -p now\n");
}

TEST_F(ShutdownPaths, FallbackRunsOnlyWhenTheFirstCannotBeStarted) {
    fallback("exit 0");
    EXPECT_EQ(run(scratch_.file("sbin/missing")), "ok");
    EXPECT_EQ(log(), std::string(kFallback) + " -p now\n");

    // Present but not executable: cannot be started either.
    EXPECT_EQ(run(program("sbin/not-executable", "exit 0", 0644)), "ok");
    EXPECT_EQ(log(), std::string(kFallback) + " -p now\n" + std::string(kFallback) + " -p now\n");
}

TEST_F(ShutdownPaths, FailuresSayWhy) {
    struct Case {
        const char* name;
        bool with_fallback;
        std::string first_status;  // empty: the first path is missing
        std::string error;
        std::string log;
    };
    const Case cases[] = {
        {"first exits with 1", true, "exit 1", "exit status 1", "shutdown -p now\n"},
        {"first killed", true, "kill -9 $$", "killed by signal 9", "shutdown -p now\n"},
        {"fallback exits with 2", true, "", "exit status 2", std::string(kFallback) + " -p now\n"},
        {"neither can be started", false, "",
         "could not run " + std::string(kFallback) + ": No such file or directory (os error 2)",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(scratch_.file("log").c_str());
        std::remove(scratch_.file("path/" + std::string(kFallback)).c_str());
        if (c.with_fallback) fallback(c.first_status.empty() ? "exit 2" : "exit 0");
        const std::string first = c.first_status.empty() ? scratch_.file("sbin/none")
                                                         : program("sbin/shutdown", c.first_status);
        EXPECT_EQ(run(first), c.error);
        EXPECT_EQ(log(), c.log);
    }
}

}  // namespace
}  // namespace tarnwick::app
