// The pseudo-terminal relay of scripts/demo, on a pseudo-terminal of the
// test's own, relaying to this test executable started as a small program
// that reports its window size and echoes what it reads.
#include "support/ci_gate.h"
#include "support/process.h"
#include "support/pty_session.h"

#include "platform/terminal_claim.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tarnwick::test {
namespace {

volatile sig_atomic_t resized = 0;
void on_winch(int) {
    resized = 1;
}

void say(const std::string& line) {
    const std::string out = line + "\n";
    (void)!::write(STDOUT_FILENO, out.data(), out.size());
}

void say_size() {
    winsize size{};
    if (::ioctl(STDIN_FILENO, TIOCGWINSZ, &size) != 0) return say("size unknown");
    say("size " + std::to_string(size.ws_col) + "x" + std::to_string(size.ws_row));
}

// The program behind the relay. With TARNWICK_RELAY_CHILD=claim it first
// takes its terminal over as the console does (every other descriptor hung
// up, the relay's own among them). Then it says its size at start and at
// every SIGWINCH, answers each line "x" with "got x", and ends on "exit N"
// with N or on "kill" by SIGKILL. On "orphan" it leaves a process behind on
// the terminal, as a background job that ignores hang-ups: it says its
// process id and then writes a line every few milliseconds until its
// terminal is gone.
TEST(RelayChild, DISABLED_Run) {
    const char* mode = std::getenv("TARNWICK_RELAY_CHILD");
    if (mode == nullptr) GTEST_SKIP() << "started by the relay tests only";
    if (std::string_view(mode) == "claim") {
        const char* tty = ::ttyname(STDIN_FILENO);
        const auto claimed = platform::claim_terminal(tty != nullptr ? tty : "");
        say(claimed ? "claimed" : "claim failed: " + claimed.error());
    }
    // SIGWINCH only reaches the handler inside ppoll: none can slip in
    // between the check and the wait.
    struct sigaction action {};
    action.sa_handler = on_winch;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGWINCH, &action, nullptr);
    sigset_t winch, waiting;
    sigemptyset(&winch);
    sigaddset(&winch, SIGWINCH);
    ::sigprocmask(SIG_BLOCK, &winch, &waiting);
    sigdelset(&waiting, SIGWINCH);
    say_size();
    std::string line;
    for (;;) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        const int ready = ::ppoll(&in, 1, nullptr, &waiting);
        if (resized) {
            resized = 0;
            say_size();
        }
        if (ready <= 0) continue;
        std::array<char, 256> buf{};
        const ssize_t n = ::read(STDIN_FILENO, buf.data(), buf.size());
        if (n <= 0) std::_Exit(0);
        line.append(buf.data(), static_cast<std::size_t>(n));
        for (auto end = line.find('\n'); end != std::string::npos; end = line.find('\n')) {
            const std::string got = line.substr(0, end);
            line.erase(0, end + 1);
            if (got.starts_with("exit ")) std::_Exit(std::atoi(got.c_str() + 5));
            if (got == "kill") ::kill(::getpid(), SIGKILL);
            if (got == "orphan") {
                const pid_t orphan = ::fork();
                if (orphan == 0) {
                    ::signal(SIGHUP, SIG_IGN);
                    for (;;) {
                        if (::write(STDOUT_FILENO, "tick\n", 5) < 0) std::_Exit(0);
                        ::usleep(10000);
                    }
                }
                say("orphan " + std::to_string(orphan));
                continue;
            }
            say("got " + got);
        }
    }
}

std::string this_executable() {
    std::array<char, PATH_MAX> buf{};
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string();
}

PtyOptions relay_options(const std::string& mode) {
    return PtyOptions{
        .program = TARNWICK_PTY_RELAY,
        .args = {this_executable(), "--gtest_filter=RelayChild.DISABLED_Run",
                 "--gtest_also_run_disabled_tests"},
        .env = {{"TARNWICK_RELAY_CHILD", mode}},
    };
}

// The console's case: a program that hung up its terminal still sees every
// size change of the terminal the relay runs in.
TEST(PtyRelay, SizeChangesReachAProgramThatTookItsTerminalOver) {
    REQUIRE_ROOT("needs root to hang up a terminal");
    PtySession s(relay_options("claim"));
    ASSERT_TRUE(s.started()) << s.error();
    ASSERT_TRUE(s.wait_for_texts({"claimed", "size 80x24"})) << s.screen_text();
    s.resize(120, 40);
    EXPECT_TRUE(s.wait_for_text("size 120x40")) << s.screen_text();
    s.resize(100, 30);
    EXPECT_TRUE(s.wait_for_text("size 100x30")) << s.screen_text();
    // Input still arrives on the terminal opened afresh.
    s.write("hello\r");
    EXPECT_TRUE(s.wait_for_text("got hello")) << s.screen_text();
    s.write("exit 0\r");
    EXPECT_EQ(s.wait_exit(), 0);
}

// Bytes pass unchanged both ways, this terminal is raw while the program runs
// and as it was afterwards, and the program's way of ending is the relay's.
TEST(PtyRelay, PassesInputOnAndEndsAsTheProgramDid) {
    struct Case {
        const char* name;
        std::string typed;  // after "hello"
        int signal;         // sent to the relay instead, when not 0
        int status;
    };
    const Case cases[] = {
        {"exit status", "exit 7\r", 0, 7},
        {"killed by a signal", "kill\r", 0, 128 + SIGKILL},
        {"relay told to stop", "", SIGTERM, 128 + SIGTERM},
        {"relay's terminal hung up", "", SIGHUP, 128 + SIGHUP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtySession s(relay_options("plain"));
        ASSERT_TRUE(s.started()) << s.error();
        ASSERT_TRUE(s.wait_for_text("size 80x24")) << s.screen_text();
        const auto running = s.settings();
        ASSERT_TRUE(running);
        EXPECT_EQ(running->c_lflag & (ICANON | ECHO | ISIG), 0u);
        s.write("hello\r");
        ASSERT_TRUE(s.wait_for_text("got hello")) << s.screen_text();
        if (c.signal != 0) {
            ::kill(s.pid(), c.signal);
        } else {
            s.write(c.typed);
        }
        EXPECT_EQ(s.wait_exit(), c.status);
        const auto after = s.settings();
        ASSERT_TRUE(after);
        EXPECT_EQ(after->c_lflag & (ICANON | ECHO | ISIG),
                  static_cast<tcflag_t>(ICANON | ECHO | ISIG));
    }
}

// scripts/demo must come back when the console has ended, also when a job it
// left behind keeps writing to the terminal (the relay's drain never sees a
// quiet moment then).
TEST(PtyRelay, EndsWithItsProgramWhileAProcessLeftBehindWritesOn) {
    PtySession s(relay_options("plain"));
    ASSERT_TRUE(s.started()) << s.error();
    ASSERT_TRUE(s.wait_for_text("size 80x24")) << s.screen_text();
    s.write("orphan\r");
    pid_t orphan = 0;
    ASSERT_TRUE(s.wait_until([&] {
        const auto at = s.output().find("orphan ");
        const auto end = at == std::string::npos ? at : s.output().find('\n', at);
        if (end == std::string::npos) return false;
        orphan = static_cast<pid_t>(std::atoi(s.output().c_str() + at + 7));
        return true;
    })) << s.output();
    ASSERT_GT(orphan, 0);
    ASSERT_TRUE(s.wait_for_output("tick")) << s.output();
    // Held while it surely runs: the id cannot name another process later.
    const int handle = static_cast<int>(::syscall(SYS_pidfd_open, orphan, 0));
    s.write("exit 3\r");
    EXPECT_EQ(s.wait_exit(), 3);
    // Ours to end, whatever the relay did (it ends by itself once its
    // terminal is gone).
    if (handle >= 0) {
        (void)::syscall(SYS_pidfd_send_signal, handle, SIGKILL, nullptr, 0);
        ::close(handle);
    }
}

TEST(PtyRelay, WithoutAProgramPrintsItsUsage) {
    const ProcessResult r = run_process(TARNWICK_PTY_RELAY, {});
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("usage: tarnwick_pty_relay PROGRAM"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace tarnwick::test
