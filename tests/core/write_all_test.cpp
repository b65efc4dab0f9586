#include "core/write_all.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
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

}  // namespace
}  // namespace tarnwick
