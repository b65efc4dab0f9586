#include "app/session/say_on_console.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "core/unique_fd.h"

namespace tarnwick::app {
namespace {

using namespace std::string_view_literals;

// Runs `call` in a child process: false when it has not come back within a
// generous deadline (the child is killed then), so a call that waits for
// good fails the test instead of hanging it.
bool comes_back(const std::function<void()>& call) {
    int done[2];
    if (::pipe(done) != 0) return false;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(done[0]);
        call();
        ::_exit(0);
    }
    ::close(done[1]);
    pollfd p{done[0], POLLIN, 0};
    int ready = -1;
    while ((ready = ::poll(&p, 1, 30000)) < 0 && errno == EINTR) {
    }
    // The child's exit closes its end of the pipe.
    const bool back = ready == 1;
    if (pid > 0) {
        if (!back) ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    ::close(done[0]);
    return back && pid > 0;
}

TEST(TerminalSafeLine, WritesControlCharactersOut) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"tarnwick error: config dir not found: /x", "tarnwick error: config dir not found: /x"},
        {"a\x1b[2Jb", "a\\033[2Jb"},
        {"\x1b]0;title\x07", "\\033]0;title\\007"},
        {"tab\tcr\rlf\ndel\x7f", "tab\tcr\\015lf\\012del\\177"},
        {"nul\0end"sv, "nul\\000end"},
        {"C:\\x", "C:\\\\x"},
        // C1 controls: encoded as UTF-8, and as a lone byte (not UTF-8).
        {"\xc2\x9b"
         "31m \xc2\x85",
         "\\302\\23331m \\302\\205"},
        {"\x9b"
         "31m",
         "\xef\xbf\xbd"
         "31m"},
        {"caf\xc3\xa9 \xe2\x9c\x93 \xef\xbf\xbd", "caf\xc3\xa9 \xe2\x9c\x93 \xef\xbf\xbd"},
        {"", ""},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(terminal_safe_line(line), expected) << line;
}

// A pseudo-terminal whose program side is raw (no output processing), so
// what the line end looks like is what the other side reads.
class SayOnTerminal : public testing::Test {
protected:
    void SetUp() override {
        int master = -1;
        int slave = -1;
        ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0) << errno;
        master_.reset(master);
        slave_.reset(slave);
        termios t{};
        ASSERT_EQ(::tcgetattr(slave, &t), 0);
        ::cfmakeraw(&t);
        ASSERT_EQ(::tcsetattr(slave, TCSANOW, &t), 0);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        pipe_read_.reset(fds[0]);
        pipe_write_.reset(fds[1]);
    }

    UniqueFd open_slave_again(int flags = 0) const {
        return UniqueFd(::open(::ptsname(master_.get()), O_RDWR | O_NOCTTY | flags));
    }

    // What reached the terminal before a marker written after it.
    std::string received() {
        const std::string marker = "<marker>";
        EXPECT_EQ(::write(slave_.get(), marker.data(), marker.size()),
                  static_cast<ssize_t>(marker.size()));
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (got.find(marker) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_.get(), POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0) continue;
            char buf[4096];
            const ssize_t n = ::read(master_.get(), buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        const auto at = got.find(marker);
        EXPECT_NE(at, std::string::npos) << got;
        return got.substr(0, at);
    }

    bool slave_nonblocking() const { return (::fcntl(slave_.get(), F_GETFL) & O_NONBLOCK) != 0; }

    UniqueFd master_;
    UniqueFd slave_;
    UniqueFd pipe_read_;
    UniqueFd pipe_write_;
};

TEST_F(SayOnTerminal, WritesTheSafeLineAndCrLfWhenStandardErrorIsElsewhere) {
    say_on_terminal(slave_.get(), pipe_write_.get(), "tarnwick error: unknown field: \x1b[31mx");
    EXPECT_EQ(received(), "tarnwick error: unknown field: \\033[31mx\r\n");
    EXPECT_FALSE(slave_nonblocking());
}

// Standard error on the same terminal has shown the line already.
TEST_F(SayOnTerminal, SaysNothingWhenStandardErrorIsThatTerminal) {
    const UniqueFd dup(::dup(slave_.get()));
    const UniqueFd reopened = open_slave_again();
    ASSERT_TRUE(dup && reopened);
    for (const int err_fd : {slave_.get(), dup.get(), reopened.get()}) {
        say_on_terminal(slave_.get(), err_fd, "tarnwick error: x");
        EXPECT_EQ(received(), "") << err_fd;
    }
}

TEST_F(SayOnTerminal, SaysNothingWithoutATerminal) {
    say_on_terminal(pipe_write_.get(), slave_.get(), "tarnwick error: x");
    pipe_write_.reset();
    char c;
    EXPECT_EQ(::read(pipe_read_.get(), &c, 1), 0);
}

// A terminal that stopped its output (Ctrl-S, a paused serial line) must not
// hold the exit: the call comes back, leaves the descriptor blocking, and
// the terminal gets at most the line once it goes on.
TEST_F(SayOnTerminal, StoppedOutputDoesNotHoldTheExit) {
    ASSERT_EQ(::tcflow(slave_.get(), TCOOFF), 0);
    EXPECT_TRUE(
        comes_back([&] { say_on_terminal(slave_.get(), pipe_write_.get(), "tarnwick error: x"); }));
    EXPECT_FALSE(slave_nonblocking());
    ASSERT_EQ(::tcflow(slave_.get(), TCOON), 0);
    const std::string got = received();
    EXPECT_EQ(std::string("tarnwick error: x\r\n").rfind(got, 0), 0u) << got;
}

}  // namespace
}  // namespace tarnwick::app
