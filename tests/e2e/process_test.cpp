// The child-process runner itself, against small system programs.
#include "support/process.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::test {
namespace {

TEST(RunProcess, FeedsStdinAndCapturesBothOutputs) {
    ProcessOptions options;
    options.stdin_data = std::string(1 << 20, 'x');  // more than a pipe holds
    const ProcessResult r = run_process("/bin/sh", {"-c", "cat; echo err >&2; exit 3"}, options);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, options.stdin_data);
    EXPECT_EQ(r.err, "err\n");
}

// A child that ends without reading its input must not take the test process
// down with SIGPIPE.
TEST(RunProcess, ChildThatIgnoresItsStdinEndsNormally) {
    ProcessOptions options;
    options.stdin_data = std::string(1 << 20, 'x');
    const ProcessResult r = run_process("/bin/true", {}, options);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
}

}  // namespace
}  // namespace tarnwick::test
