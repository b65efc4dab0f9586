#include "core/console_log.h"
#include "core/console_capture.h"
#include "core/console_log_internal.h"
#include "core/text.h"

#include "support/scratch_dir.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace tarnwick {
namespace {

using Lines = std::vector<std::string>;
namespace internal = console_log_internal;

Lines split_lines(const std::string& text) {
    Lines out;
    std::size_t start = 0;
    for (std::size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1) {
        out.push_back(text.substr(start, lf - start));
    }
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

// "[1733829000] x" -> "[T] x"; other lines unchanged.
std::string unstamp(const std::string& line) {
    std::size_t i = 1;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (line.empty() || line[0] != '[' || i == 1 || line.compare(i, 2, "] ") != 0) return line;
    return "[T] " + line.substr(i + 2);
}

Lines unstamped(const Lines& lines) {
    Lines out;
    for (const auto& l : lines) out.push_back(unstamp(l));
    return out;
}

Lines last(const Lines& lines, std::size_t n) {
    return Lines(lines.end() - static_cast<std::ptrdiff_t>(std::min(n, lines.size())), lines.end());
}

// Every test writes its own scratch file instead of the host's /var/log.
class ConsoleLog : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = internal::console_log_path();
        internal::set_console_log_path(log_);
    }
    void TearDown() override { internal::set_console_log_path(saved_); }

    Lines file_lines() const { return split_lines(test::read_file(log_)); }

    // Feeds bytes through a real pipe into the capture thread and returns
    // what the file received.
    Lines capture(const std::string& input) {
        int fds[2];
        EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        std::thread writer([&] {
            std::size_t done = 0;
            while (done < input.size()) {
                const ssize_t n = ::write(fds[1], input.data() + done, input.size() - done);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
            ::close(fds[1]);
        });
        // Small inputs are in the pipe before the thread starts, so the reads
        // see whole 4096-byte chunks.
        if (input.size() < 32768) writer.join();
        const auto started = start_stderr_capture_thread(fds[0]);
        EXPECT_TRUE(started);
        if (writer.joinable()) writer.join();
        // The input has ended: the drain reads the rest and flushes it.
        if (started) {
            EXPECT_TRUE(started->drain(std::chrono::seconds(30)));
        }
        return file_lines();
    }

    test::ScratchDir dir_;
    std::string log_ = dir_.file("console.log");
    std::string saved_;
};

TEST_F(ConsoleLog, RingKeepsTheLastHundredAndTheFileEverything) {
    for (int i = 1; i <= 150; ++i) log_console("line " + std::to_string(i));
    Lines expected;
    for (int i = 1; i <= 150; ++i) expected.push_back("[T] line " + std::to_string(i));
    EXPECT_EQ(unstamped(file_lines()), expected);
    EXPECT_EQ(console_ring_len(), CONSOLE_RING_CAPACITY);
    EXPECT_EQ(unstamped(console_ring_snapshot()), last(expected, 100));

    struct stat st {};
    ASSERT_EQ(::stat(log_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ConsoleLog, LogConsoleTrimsOnlyTrailingWhiteSpace) {
    log_console("  hello \n");
    log_console_str("tab\t\xE2\x80\x83");  // ends in an em space
    log_console("bad \xFF byte");
    EXPECT_EQ(unstamped(file_lines()),
              (Lines{"[T]   hello", "[T] tab", "[T] bad \xEF\xBF\xBD byte"}));
    const std::string line = file_lines().front();
    const long long stamp = std::stoll(line.substr(1));
    EXPECT_GT(stamp, 1600000000) << line;
    EXPECT_EQ(line, "[" + std::to_string(stamp) + "]   hello");
}

TEST_F(ConsoleLog, LinesStillReachTheRingWhenTheFileCannotBeWritten) {
    internal::set_console_log_path(dir_.file("missing/console.log"));
    log_console("kept in memory");
    EXPECT_EQ(unstamp(console_ring_snapshot().back()), "[T] kept in memory");
    EXPECT_FALSE(append_console_log_file("x").has_value());
}

TEST_F(ConsoleLog, NeitherAppendNorTailFollowsASymbolicLink) {
    const std::string target = dir_.write("target", "secret line\n");
    ASSERT_EQ(::symlink(target.c_str(), log_.c_str()), 0);
    EXPECT_FALSE(append_console_log_file("x").has_value());
    EXPECT_EQ(test::read_file(target), "secret line\n");
    EXPECT_EQ(read_console_log_tail(), Lines{});
}

// The capture thread is detached and still logging when the process exits
// (main's last error line goes through it): the log state must outlive exit.
TEST_F(ConsoleLog, LoggingWhileTheProcessExitsIsSafe) {
    for (int round = 0; round < 50; ++round) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // A failing file open keeps each turn short, so the race is met often.
            internal::set_console_log_path(dir_.file("missing/console.log"));
            std::atomic<bool> started{false};
            std::thread([&started] {
                for (int i = 0;; ++i) {
                    log_console_str(std::string(64, 'x') + std::to_string(i));
                    started = true;
                }
            }).detach();
            while (!started) std::this_thread::yield();
            std::exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "round " << round << ": signal " << WTERMSIG(status);
        ASSERT_EQ(WEXITSTATUS(status), 0) << "round " << round;
    }
}

TEST_F(ConsoleLog, AppendRefusesAFifoWithoutBlocking) {
    ASSERT_EQ(::mkfifo(log_.c_str(), 0600), 0);
    EXPECT_FALSE(append_console_log_file("x").has_value());
    // Even with a reader waiting, the line goes nowhere but the ring.
    const int reader = ::open(log_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    EXPECT_FALSE(append_console_log_file("x").has_value());
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0);
    ::close(reader);
}

struct CaptureCase {
    std::string input;
    Lines expected;
};

class CaptureLoop : public ConsoleLog, public ::testing::WithParamInterface<CaptureCase> {};

TEST_P(CaptureLoop, TurnsInputIntoLines) {
    EXPECT_EQ(unstamped(capture(GetParam().input)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaptureLoop,
    ::testing::Values(CaptureCase{"abc\r\n", {"[T] abc"}}, CaptureCase{"\r\n", {}},
                      CaptureCase{"\n", {}}, CaptureCase{"[x] y\n", {"[x] y"}},
                      CaptureCase{"   \n", {"[T]    "}}, CaptureCase{"par", {"[T] par"}},
                      CaptureCase{"  [x]  ", {"[T] [x]"}}, CaptureCase{" \t\n", {"[T]  \t"}},
                      CaptureCase{"a\xFF"
                                  "b\n",
                                  {"[T] a\xEF\xBF\xBD"
                                   "b"}},
                      CaptureCase{"a\rb\r\r\n", {"[T] a\\015b\\015"}},
                      CaptureCase{"one\ntwo\n\nthree", {"[T] one", "[T] two", "[T] three"}},
                      // A character split by the 4096-byte read is replaced on both sides.
                      CaptureCase{std::string(4095, 'a') + "\xC3\xA9\n",
                                  {"[T] " + std::string(4095, 'a') + "\xEF\xBF\xBD\xEF\xBF\xBD"}},
                      CaptureCase{std::string(5000, 'x') + "\nnext\n",
                                  {"[T] " + std::string(5000, 'x'), "[T] next"}}));

// What a module or a command writes on standard error must not run in the
// terminal of whoever reads the file; the ring keeps the line as it came.
TEST_F(ConsoleLog, CapturedControlCharactersReachTheFileEscaped) {
    const struct {
        std::string input;
        std::string ring;
        std::string file;
    } cases[] = {
        {"ESC \x1b", "ESC \x1b", "ESC \\033"},
        {"bell\x07", "bell\x07", "bell\\007"},
        {"\x1b[2J\x1b[31mred", "\x1b[2J\x1b[31mred", "\\033[2J\\033[31mred"},
        {"copy \x1b]52;c;aGVsbG8=\x07 done", "copy \x1b]52;c;aGVsbG8=\x07 done",
         "copy \\033]52;c;aGVsbG8=\\007 done"},
        {"[x] own stamp \x1b[0m", "[x] own stamp \x1b[0m", "[x] own stamp \\033[0m"},
        {"bad \xFF\xC3", "bad \xEF\xBF\xBD\xEF\xBF\xBD", "bad \xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    std::string input;
    Lines ring;
    Lines file;
    for (const auto& c : cases) {
        input += c.input + "\n";
        const bool own_stamp = c.input.front() == '[';
        ring.push_back(own_stamp ? c.ring : "[T] " + c.ring);
        file.push_back(own_stamp ? c.file : "[T] " + c.file);
    }
    EXPECT_EQ(unstamped(capture(input)), file);
    EXPECT_EQ(unstamped(last(console_ring_snapshot(), ring.size())), ring);
    // The tail that seeds the ring reads the escaped lines back as they are.
    EXPECT_EQ(unstamped(read_console_log_tail()), file);
}

TEST_F(ConsoleLog, EscapingIsUnambiguousAndKeepsTheRest) {
    const struct {
        std::string line;
        std::string escaped;
    } cases[] = {
        {"plain text, tab\there", "plain text, tab\there"},
        {"J\xC3\xB6rg \xE5\xB1\xB1", "J\xC3\xB6rg \xE5\xB1\xB1"},
        {std::string("nul\0", 4), "nul\\000"},
        {"lf\ncr\r", "lf\\012cr\\015"},
        {"del\x7F", "del\\177"},
        {"c1 csi \xC2\x9B"
         "31m",
         "c1 csi \\302\\233"
         "31m"},
        {"nel \xC2\x85 apc \xC2\x9F nbsp \xC2\xA0", "nel \\302\\205 apc \\302\\237 nbsp \xC2\xA0"},
        // a backslash written by someone is doubled, so it never reads as an escape
        {"C:\\dir \\033", "C:\\\\dir \\\\033"},
        {"bad \xFF \xED\xA0\x80", "bad \xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escape_console_log_line(c.line), c.escaped) << c.line;
    }
}

// A message holding a line feed, a carriage return or bytes that are not
// UTF-8 is one line of text in the file, and the tail reads past it.
TEST_F(ConsoleLog, EveryMessageIsOneLineTheTailCanRead) {
    log_console("first\nsecond\rthird");
    log_console_str("bad \xFF byte");
    push_console_line("pushed \xC3 raw\x1b");
    log_console("after");
    const Lines expected{"[T] first\\012second\\015third", "[T] bad \xEF\xBF\xBD byte",
                         "pushed \xEF\xBF\xBD raw\\033", "[T] after"};
    EXPECT_EQ(unstamped(file_lines()), expected);
    EXPECT_EQ(unstamped(read_console_log_tail()), expected);

    const std::string content = test::read_file(log_);
    EXPECT_TRUE(is_valid_utf8(content));
    for (const char c : content) {
        const auto b = static_cast<unsigned char>(c);
        EXPECT_FALSE((b < 0x20 && b != '\n' && b != '\t') || b == 0x7F) << int{b};
    }
    EXPECT_EQ(unstamp(last(console_ring_snapshot(), 4).front()), "[T] first\nsecond\rthird");
}

TEST_F(ConsoleLog, CaptureFlushesAnEndlessLineInBoundedPieces) {
    const std::string input = std::string(200000, 'x') + "\nshort\n";
    const Lines lines = unstamped(capture(input));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.back(), "[T] short");
    std::string joined;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        ASSERT_EQ(lines[i].rfind("[T] ", 0), 0u);
        const std::string body = lines[i].substr(4);
        EXPECT_LE(body.size(), kMaxPendingCapture + 4096);
        EXPECT_EQ(body.find_first_not_of('x'), std::string::npos);
        joined += body;
    }
    EXPECT_EQ(joined.size(), 200000u);
}

TEST_F(ConsoleLog, TwoThreadsLoggingAtOnceLoseAndTearNoLine) {
    constexpr int kLines = 400;
    const std::string pad(300, '.');
    const auto worker = [&](char who) {
        for (int i = 0; i < kLines; ++i)
            log_console(std::string(1, who) + " " + std::to_string(i) + " " + pad);
    };
    std::thread a(worker, 'a');
    std::thread b(worker, 'b');
    a.join();
    b.join();

    const Lines lines = unstamped(file_lines());
    ASSERT_EQ(lines.size(), 2u * kLines);
    int next[2] = {0, 0};
    for (const auto& line : lines) {
        ASSERT_TRUE(line.rfind("[T] a ", 0) == 0 || line.rfind("[T] b ", 0) == 0) << line;
        const int who = line[4] == 'a' ? 0 : 1;
        EXPECT_EQ(line,
                  std::string("[T] ") + line[4] + " " + std::to_string(next[who]) + " " + pad);
        ++next[who];
    }
    // The ring and the file are appended one after the other, outside one
    // lock, so their interleaving of the two writers may differ; each keeps
    // every writer's own order, and the ring ends with the last writer's last line.
    const Lines ring = unstamped(console_ring_snapshot());
    ASSERT_EQ(ring.size(), 100u);
    int previous[2] = {-1, -1};
    for (const auto& line : ring) {
        const int who = line[4] == 'a' ? 0 : 1;
        const int n = std::stoi(line.substr(6));
        EXPECT_GT(n, previous[who]) << line;
        previous[who] = n;
    }
    EXPECT_EQ(std::stoi(ring.back().substr(6)), kLines - 1) << ring.back();
    for (const auto& line : ring) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
}

bool capture_thread_named() {
    bool named = false;
    if (DIR* d = ::opendir("/proc/self/task")) {
        while (const dirent* e = ::readdir(d)) {
            if (test::read_file(std::string("/proc/self/task/") + e->d_name + "/comm") ==
                "tarnwick-stderr\n") {
                named = true;
            }
        }
        ::closedir(d);
    }
    return named;
}

// Everything written before a drain is in the log when it returns, while the
// write end stays open as a child of the console may keep it; the rest
// without a line feed comes out as it would at the end of input.
TEST_F(ConsoleLog, DrainCatchesUpWithoutWaitingForThePipeToClose) {
    constexpr std::chrono::seconds kGenerous{60};
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const auto capture = start_stderr_capture_thread(fds[0]);
    ASSERT_TRUE(capture.has_value());
    // Many lines, so a drain that did not wait would find most still in flight.
    std::string burst;
    Lines expected;
    for (int i = 0; i < 1000; ++i) {
        burst += fmt::format("line {}\n", i);
        expected.push_back(fmt::format("[T] line {}", i));
    }
    burst += "  rest without a line feed ";
    expected.push_back("[T] rest without a line feed");
    ASSERT_EQ(::write(fds[1], burst.data(), burst.size()), static_cast<ssize_t>(burst.size()));

    ASSERT_TRUE(capture->drain(kGenerous));
    EXPECT_EQ(unstamped(file_lines()), expected);
    EXPECT_TRUE(capture_thread_named());

    // The thread goes on capturing until the end of input.
    ASSERT_EQ(::write(fds[1], "after\n", 6), 6);
    ::close(fds[1]);
    ASSERT_TRUE(capture->drain(kGenerous));
    EXPECT_EQ(unstamp(file_lines().back()), "[T] after");
}

TEST_F(ConsoleLog, SeedingFillsOnlyAnEmptyRing) {
    if (console_ring_len() != 0) GTEST_SKIP() << "ring already used in this process";
    Lines old;
    for (int i = 0; i < 120; ++i) old.push_back("old " + std::to_string(i));
    seed_console_ring(old);
    EXPECT_EQ(console_ring_snapshot(), Lines(old.begin(), old.begin() + 100));
    seed_console_ring({"ignored"});
    EXPECT_EQ(console_ring_len(), 100u);
    EXPECT_EQ(test::read_file(log_), "");
}

std::string numbered_lines(int from, int to, const std::string& end = "\n") {
    std::string out;
    for (int i = from; i <= to; ++i) out += fmt::format("l{}{}", i, end);
    return out;
}

Lines numbered(int from, int to) {
    Lines out;
    for (int i = from; i <= to; ++i) out.push_back(fmt::format("l{}", i));
    return out;
}

TEST_F(ConsoleLog, TailReadsTheLastHundredValidLines) {
    const struct {
        std::string content;
        Lines expected;
    } cases[] = {
        {numbered_lines(1, 250), numbered(151, 250)},
        {numbered_lines(1, 5, "\r\n"), numbered(1, 5)},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\r\nb\n", {"a\r", "b"}},
        {"one\ntwo\nth\xFFree\nfour\n", {"one", "two"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        dir_.write("tail.log", c.content);
        EXPECT_EQ(read_console_log_tail(dir_.file("tail.log")), c.expected)
            << c.content.substr(0, 40);
    }
    EXPECT_EQ(read_console_log_tail(dir_.file("none.log")), Lines{});
    EXPECT_EQ(read_console_log_tail(dir_.path()), Lines{});
}

TEST_F(ConsoleLog, TailOfALargeFileReadsOnlyItsEnd) {
    // 64 lines of 16 KiB fill the read window exactly.
    std::string block;
    Lines block_lines;
    for (int i = 0; i < 64; ++i) {
        std::string line = std::to_string(i) + std::string(16383 - std::to_string(i).size(), 'y');
        block += line + "\n";
        block_lines.push_back(line);
    }
    ASSERT_EQ(block.size(), kMaxTailBytes);

    // The window begins exactly on a line start: that line is kept.
    dir_.write("aligned.log", "before\n" + block);
    EXPECT_EQ(read_console_log_tail(dir_.file("aligned.log")), block_lines);

    // The window begins inside a line: that partial line is skipped.
    dir_.write("inside.log", "abc" + block);
    EXPECT_EQ(read_console_log_tail(dir_.file("inside.log")),
              Lines(block_lines.begin() + 1, block_lines.end()));

    // Many short lines: the same result as reading it all.
    dir_.write("long.log", numbered_lines(1, 300000));
    EXPECT_EQ(read_console_log_tail(dir_.file("long.log")), numbered(299901, 300000));

    // The default path follows the internal setting.
    dir_.write("console.log", "x\n");
    EXPECT_EQ(read_console_log_tail(), Lines{"x"});
}

}  // namespace
}  // namespace tarnwick
