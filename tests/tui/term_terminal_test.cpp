#include "tui/term/terminal.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::tui {
namespace {

constexpr const char* kFlush = "<flush>";

// Records every write and flush as its own entry; call number `fail_at`
// (counting writes and flushes from 0) fails with EIO.
class RecordingBackend final : public Backend {
public:
    std::vector<std::string> calls;
    std::optional<std::size_t> fail_at;

    Result<Size, IoError> size() override { return Size{80, 24}; }
    Result<void, IoError> write(std::string_view bytes) override {
        return record(std::string(bytes));
    }
    Result<void, IoError> flush() override { return record(kFlush); }

private:
    Result<void, IoError> record(std::string entry) {
        std::size_t index = count_++;
        if (fail_at && *fail_at == index) return fail(IoError{EIO});
        calls.push_back(std::move(entry));
        return {};
    }
    std::size_t count_ = 0;
};

using Calls = std::vector<std::string>;

const Calls kClearCalls = {"\x1b[2J",   "\x1b[3J", "\x1b[1;1H",
                           "\x1b[?25l", kFlush,    "\x1b[2J\x1b[3J\x1b[H\x1b[0m\x1b[40m",
                           kFlush};

TEST(ClearScreen, WritesEachStepInOrder) {
    RecordingBackend out;
    EXPECT_TRUE(clear_screen(out));
    EXPECT_EQ(out.calls, kClearCalls);
}

TEST(ClearScreen, FirstFailureEndsItExceptTheFinalResetWrite) {
    for (std::size_t fail_at = 0; fail_at < kClearCalls.size(); ++fail_at) {
        RecordingBackend out;
        out.fail_at = fail_at;
        auto r = clear_screen(out);
        Calls expected = kClearCalls;
        if (fail_at == 5) {
            // The combined reset write may fail; the flush after it still runs.
            EXPECT_TRUE(r) << "fail at " << fail_at;
            expected.erase(expected.begin() + 5);
        } else {
            ASSERT_FALSE(r) << "fail at " << fail_at;
            EXPECT_EQ(r.error(), IoError{EIO});
            expected.resize(fail_at);
        }
        EXPECT_EQ(out.calls, expected) << "fail at " << fail_at;
    }
}

const Calls kRestoreCalls = {
    std::string(kMouseReportingOff), "\x1b[?1049l", "\x1b[2J", "\x1b[1;1H", "\x1b[?25h", kFlush};

TEST(RestoreTerminal, WritesTheListAndSkipsTheRestAfterAFailureButStillFlushes) {
    RecordingBackend out;
    restore_terminal(out);
    EXPECT_EQ(out.calls, kRestoreCalls);
    for (std::size_t fail_at = 0; fail_at < 5; ++fail_at) {
        RecordingBackend failing;
        failing.fail_at = fail_at;
        restore_terminal(failing);
        Calls expected(kRestoreCalls.begin(), kRestoreCalls.begin() + static_cast<long>(fail_at));
        expected.push_back(kFlush);
        EXPECT_EQ(failing.calls, expected) << "fail at " << fail_at;
    }
}

// Runs `child` with a pseudo-terminal as its standard input and output and
// returns everything it wrote there; `during` runs in the parent whenever the
// child wrote the marker "@" (the child then waits for one byte of input).
struct PtyRun {
    std::string output;
    int status = -1;
};

PtyRun run_on_pty(const std::function<int()>& child,
                  const std::function<void(int master)>& during = {}) {
    int master = -1;
    pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) _exit(child());
    PtyRun run;
    char buf[4096];
    while (true) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) break;
        ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0) break;
        std::string chunk(buf, static_cast<std::size_t>(n));
        run.output += chunk;
        if (chunk.find('@') != std::string::npos && during) {
            during(master);
            // One byte wakes a raw-mode read; a line wakes a cooked one.
            termios t{};
            ::tcgetattr(master, &t);
            if (t.c_lflag & ICANON)
                (void)!::write(master, "x\n", 2);
            else
                (void)!::write(master, "x", 1);
        }
    }
    int st = 0;
    ::waitpid(pid, &st, 0);
    run.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    ::close(master);
    return run;
}

void pause_for_parent() {
    (void)!::write(STDOUT_FILENO, "@", 1);
    char c;
    (void)!::read(STDIN_FILENO, &c, 1);
}

std::string clear_bytes() {
    std::string s;
    for (const auto& c : kClearCalls) s += c == kFlush ? "" : c;
    return s;
}

TEST(EnterLeaveTui, WriteTheSequencesAndSwitchRawModeOnAndOff) {
    std::optional<termios> before, during_tui;
    termios after{};
    PtyRun run = run_on_pty(
        [] {
            if (!enter_tui(standard_output())) return 10;
            pause_for_parent();
            if (!leave_tui(standard_output())) return 11;
            if (is_raw_mode_enabled()) return 12;
            pause_for_parent();
            return 0;
        },
        [&](int master) {
            termios t{};
            ::tcgetattr(master, &t);
            if (!during_tui)
                during_tui = t;
            else
                after = t;
        });
    EXPECT_EQ(run.status, 0);
    std::string expected = clear_bytes() + "\x1b[?1049h" + std::string(kMouseReportingOn) +
                           clear_bytes() + "@" + std::string(kMouseReportingOff) + "\x1b[?1049l" +
                           "\x1b[?25h" + "@" +
                           "x\r\n";  // the terminal echoes again after leave_tui
    EXPECT_EQ(run.output, expected);
    ASSERT_TRUE(during_tui);
    EXPECT_EQ(during_tui->c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(during_tui->c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(during_tui->c_oflag & OPOST, 0u);
    EXPECT_EQ(during_tui->c_cc[VMIN], 1);
    EXPECT_EQ(during_tui->c_cc[VTIME], 0);
    EXPECT_NE(after.c_lflag & ICANON, 0u);
    EXPECT_NE(after.c_lflag & ECHO, 0u);
    EXPECT_NE(after.c_oflag & OPOST, 0u);
}

TEST(EnterTui, AFailingWriteEndsItWithRawModeLeftOn) {
    PtyRun run = run_on_pty([] {
        ::close(STDOUT_FILENO);
        auto r = enter_tui(standard_output());
        if (r || r.error() != IoError{EBADF}) return 10;
        return is_raw_mode_enabled() ? 0 : 11;
    });
    EXPECT_EQ(run.status, 0);
}

TEST(RestoreTerminal, IsQuietWhenAlreadyRestoredOrOutputIsClosed) {
    PtyRun run = run_on_pty([] {
        if (!enable_raw_mode()) return 10;
        restore_terminal();
        if (is_raw_mode_enabled()) return 11;
        restore_terminal();  // nothing left to undo: only the sequences again
        ::close(STDOUT_FILENO);
        restore_terminal();
        return 0;
    });
    EXPECT_EQ(run.status, 0);
    std::string once;
    for (const auto& c : kRestoreCalls) once += c == kFlush ? "" : c;
    EXPECT_EQ(run.output, once + once);
}

// A restore on the way out comes back whatever the terminal does: with its
// output stopped (Ctrl-S, a paused line) the sequences are given up, and
// from a process group out of the foreground (TOSTOP set) they still go out
// and the process is not stopped. Raw mode is off either way.
TEST(RestoreTerminal, NeitherAStoppedOutputNorTheBackgroundHoldsIt) {
    struct Case {
        const char* name;
        bool from_background;  // else with the output stopped
    };
    for (const Case c : {Case{"output stopped", false}, Case{"background group", true}}) {
        SCOPED_TRACE(c.name);
        PtyRun run = run_on_pty([&] {
            ::alarm(60);  // a restore that waits for good fails the case
            termios t{};
            if (::tcgetattr(STDIN_FILENO, &t) != 0) return 9;
            t.c_lflag |= TOSTOP;
            if (::tcsetattr(STDIN_FILENO, TCSANOW, &t) != 0) return 9;
            if (!enable_raw_mode()) return 10;
            if (!c.from_background) {
                if (::tcflow(STDOUT_FILENO, TCOOFF) != 0) return 11;
                restore_terminal();
                if (::tcflow(STDOUT_FILENO, TCOON) != 0) return 12;
                return is_raw_mode_enabled() ? 13 : 0;
            }
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::setpgid(0, 0);
                restore_terminal();
                ::_exit(is_raw_mode_enabled() ? 13 : 0);
            }
            int st = 0;
            if (::waitpid(pid, &st, WUNTRACED) != pid) return 14;
            if (WIFSTOPPED(st)) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
                return 15;
            }
            return WIFEXITED(st) ? WEXITSTATUS(st) : 16;
        });
        EXPECT_EQ(run.status, 0);
        std::string restore;
        for (const auto& call : kRestoreCalls) restore += call == kFlush ? "" : call;
        if (c.from_background) {
            EXPECT_EQ(run.output, restore);
        } else {
            EXPECT_EQ(restore.rfind(run.output, 0), 0u) << run.output;
        }
    }
}

TEST(RawMode, EnablingTwiceKeepsTheFirstSavedSettings) {
    PtyRun run = run_on_pty([] {
        termios original{};
        ::tcgetattr(STDIN_FILENO, &original);
        if (!disable_raw_mode()) return 9;  // nothing to undo yet
        if (!enable_raw_mode() || !enable_raw_mode()) return 10;
        if (!disable_raw_mode()) return 11;
        termios now{};
        ::tcgetattr(STDIN_FILENO, &now);
        return now.c_lflag == original.c_lflag && now.c_iflag == original.c_iflag ? 0 : 12;
    });
    EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace tarnwick::tui
