#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>

#include "tui/kit/fd_backend.h"

namespace tarnwick::tui {
namespace {

std::string read_all(int fd) {
    std::string out;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0)
        out.append(chunk, static_cast<std::size_t>(n));
    return out;
}

TEST(KitFdBackend, WritesOnlyOnFlush) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
    FdBackend backend(fds[1]);
    ASSERT_TRUE(backend.write("\x1b[2J"));
    ASSERT_TRUE(backend.write("ab"));
    EXPECT_EQ(read_all(fds[0]), "");
    ASSERT_TRUE(backend.flush());
    EXPECT_EQ(read_all(fds[0]), "\x1b[2Jab");
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(KitFdBackend, LargeFramesArriveWhole) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const std::string frame(300000, 'x');  // several pipe buffers: short writes
    std::string received;
    std::thread reader([&] { received = read_all(fds[0]); });
    FdBackend backend(fds[1]);
    ASSERT_TRUE(backend.write(frame));
    EXPECT_TRUE(backend.flush());
    ::close(fds[1]);
    reader.join();
    ::close(fds[0]);
    EXPECT_EQ(received, frame);
}

TEST(KitFdBackend, WriteErrorsAreReturnedAndDropThePendingBytes) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    ::close(fds[0]);
    int out = fds[1];
    ::close(out);
    FdBackend backend(out);
    ASSERT_TRUE(backend.write("abc"));
    auto r = backend.flush();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().code, EBADF);
    // Nothing is left queued for a later flush.
    int again[2];
    ASSERT_EQ(::pipe2(again, O_CLOEXEC | O_NONBLOCK), 0);
    ASSERT_EQ(::dup2(again[1], out), out);
    EXPECT_TRUE(backend.flush());
    EXPECT_EQ(read_all(again[0]), "");
    ::close(out);
    ::close(again[0]);
    ::close(again[1]);
}

}  // namespace
}  // namespace tarnwick::tui
