#include "tui/term/event_reader.h"

#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace tarnwick::tui {
namespace {

using namespace std::chrono_literals;

struct Pipe {
    int fds[2];
    Pipe() { EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0); }
    ~Pipe() {
        ::close(fds[0]);
        if (fds[1] >= 0) ::close(fds[1]);
    }
    void write(std::string_view s) {
        ASSERT_EQ(::write(fds[1], s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }
};

TEST(EventReader, QueuesEveryEventOfOneRead) {
    Pipe p;
    EventReader reader(p.fds[0], [] { return std::nullopt; });
    p.write("ab\x1b[A");
    EXPECT_EQ(**reader.poll_event(0ms), Event{KeyEvent::character('a')});
    EXPECT_EQ(**reader.poll_event(0ms), Event{KeyEvent::character('b')});
    EXPECT_EQ(**reader.poll_event(0ms), Event{KeyEvent::key(Key::Up)});
    EXPECT_FALSE(*reader.poll_event(0ms));
}

TEST(EventReader, CompletesASequenceSplitAcrossReadsWithinTheWait) {
    Pipe p;
    EventReader reader(p.fds[0], [] { return std::nullopt; });
    std::thread slow([&] {
        p.write("\x1b[<0;5");
        // The rest follows once the reader has taken the start, well within
        // its wait for the rest of a sequence (at the deadline, all the same).
        (void)test::wait_for(
            [&] {
                int queued = 0;
                return ::ioctl(p.fds[0], FIONREAD, &queued) != 0 || queued == 0;
            },
            5s, 0ms);
        p.write(";6M");
    });
    auto e = reader.poll_event(500ms);
    slow.join();
    const Event expected = MouseEvent{MouseEventKind::Down, MouseButton::Left, 4, 5, kNoModifiers};
    EXPECT_EQ(**e, expected);
}

TEST(EventReader, LoneEscIsEscAfterTheWait) {
    Pipe p;
    EventReader reader(p.fds[0], [] { return std::nullopt; });
    p.write("\x1b");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(**reader.poll_event(500ms), Event{KeyEvent::key(Key::Esc)});
    EXPECT_GE(std::chrono::steady_clock::now() - start, EventReader::kSequenceWait);
}

TEST(EventReader, TimesOutWithNothingAndReportsEndOfInput) {
    Pipe p;
    EventReader reader(p.fds[0], [] { return std::nullopt; });
    auto none = reader.poll_event(20ms);
    ASSERT_TRUE(none);
    EXPECT_FALSE(*none);
    ::close(p.fds[1]);
    p.fds[1] = -1;
    auto eof = reader.poll_event(20ms);
    ASSERT_FALSE(eof);
    EXPECT_EQ(eof.error(), IoError{EIO});
}

TEST(EventReader, WindowSizeSignalBecomesOneResize) {
    Pipe p;
    EventReader reader(p.fds[0], [] { return Size{132, 43}; });
    (void)reader.poll_event(0ms);  // installs the handler
    ::raise(SIGWINCH);
    ::raise(SIGWINCH);
    std::optional<Event> got;
    for (int i = 0; i < 5 && !got; ++i) got = *reader.poll_event(100ms);
    const Event expected = ResizeEvent{132, 43};
    EXPECT_EQ(got, expected);
    EXPECT_FALSE(*reader.poll_event(10ms)) << "two quick signals merge";
}

}  // namespace
}  // namespace tarnwick::tui
