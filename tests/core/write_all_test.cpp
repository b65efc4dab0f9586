#include "core/write_all.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

namespace tarnwick {
namespace {

extern "C" void on_signal(int) {}

// A writer blocked on a full pipe and interrupted by a signal (no SA_RESTART)
// sees short writes and EINTR; every byte still arrives once, in order.
TEST(WriteAll, InterruptedAndShortWritesDeliverEverything) {
    struct sigaction action {};
    struct sigaction saved {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &saved), 0);

    std::string data;
    for (int i = 0; data.size() < 1024 * 1024; ++i) data += std::to_string(i) + ',';
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    std::atomic<bool> done{false};
    Result<void, int> result = fail(0);
    std::thread writer([&] {
        result = write_all(fds[1], data);
        ::close(fds[1]);
        done = true;
    });
    std::string received;
    char buf[4096];
    for (;;) {
        if (!done) (void)::pthread_kill(writer.native_handle(), SIGUSR1);
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        received.append(buf, static_cast<std::size_t>(n));
    }
    writer.join();
    ::close(fds[0]);
    ASSERT_EQ(::sigaction(SIGUSR1, &saved, nullptr), 0);

    EXPECT_TRUE(result.has_value()) << result.error();
    EXPECT_EQ(received.size(), data.size());
    EXPECT_TRUE(received == data);
}

TEST(WriteAll, ReportsTheErrnoOfTheWriteThatFailed) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const int read_end = fds[0];
    const int write_end = fds[1];
    ::close(read_end);
    // Keeps the test process alive; the write reports EPIPE instead.
    struct sigaction ignore {};
    struct sigaction saved {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGPIPE, &ignore, &saved), 0);
    int readonly[2];
    ASSERT_EQ(::pipe2(readonly, O_CLOEXEC), 0);

    const struct {
        const char* name;
        int fd;
        int errnum;
    } cases[] = {
        {"no descriptor", -1, EBADF},
        {"a read end", readonly[0], EBADF},
        {"a pipe without reader", write_end, EPIPE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = write_all(c.fd, "data");
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error(), c.errnum);
        // Nothing to write never touches the descriptor.
        EXPECT_TRUE(write_all(c.fd, "").has_value());
    }
    ASSERT_EQ(::sigaction(SIGPIPE, &saved, nullptr), 0);
    ::close(write_end);
    ::close(readonly[0]);
    ::close(readonly[1]);
}

// The last words of a process on its way out: what fits goes, a descriptor
// nobody drains gives up once the limit is over (EAGAIN) instead of waiting
// for good, one that drains in the meantime gets everything, and the
// descriptor is blocking again afterwards.
TEST(WriteAllWithin, TakesWhatFitsWithinTheLimit) {
    using std::chrono::milliseconds;
    std::string big;
    for (int i = 0; big.size() < 1024 * 1024; ++i) big += std::to_string(i) + ',';
    const struct {
        const char* name;
        bool full;     // the pipe is full before the call
        bool drained;  // a reader empties it meanwhile
        milliseconds limit;
        std::string data;
        int errnum;  // 0: everything written
    } cases[] = {
        {"room for all", false, false, milliseconds(0), "tarnwick error: x\r\n", 0},
        {"full, no time", true, false, milliseconds(0), "x", EAGAIN},
        {"full, nobody reads", true, false, milliseconds(100), "x", EAGAIN},
        {"full, a reader drains it", true, true, milliseconds(60000), big, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        std::string filler;
        if (c.full) {
            ASSERT_EQ(::fcntl(fds[1], F_SETFL, O_NONBLOCK), 0);
            const std::string chunk(4096, '.');
            for (ssize_t n = 0; (n = ::write(fds[1], chunk.data(), chunk.size())) > 0;)
                filler.append(chunk, 0, static_cast<std::size_t>(n));
            ASSERT_EQ(::fcntl(fds[1], F_SETFL, 0), 0);
        }
        std::string received;
        std::thread reader;
        if (c.drained) {
            reader = std::thread([&] {
                char buf[4096];
                for (ssize_t n = 0; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
                    received.append(buf, static_cast<std::size_t>(n));
            });
        }
        const auto result = write_all_within(fds[1], c.data, c.limit);
        EXPECT_EQ(::fcntl(fds[1], F_GETFL) & O_NONBLOCK, 0);
        ::close(fds[1]);
        if (!c.drained) {
            char buf[4096];
            for (ssize_t n = 0; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
                received.append(buf, static_cast<std::size_t>(n));
        } else {
            reader.join();
        }
        ::close(fds[0]);
        if (c.errnum == 0) {
            EXPECT_TRUE(result.has_value()) << result.error();
            EXPECT_TRUE(received == filler + c.data);
        } else {
            ASSERT_FALSE(result.has_value());
            EXPECT_EQ(result.error(), c.errnum);
            EXPECT_EQ(received.substr(0, filler.size()), filler);
        }
    }
    const auto none = write_all_within(-1, "x", milliseconds(0));
    ASSERT_FALSE(none.has_value());
    EXPECT_EQ(none.error(), EBADF);
}

}  // namespace
}  // namespace tarnwick
