// The pseudo-terminal driver itself, against small system programs.
#include "support/pty_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::test {
namespace {

TEST(PtySession, ShowsOutputOnTheEmulatedScreenWithAttributes) {
    PtySession s({.program = "/usr/bin/printf",
                  .args = {"\\033[2;3H\\033[1;38;5;6mHi\\033[0m \\033[7mthere"},
                  .columns = 20,
                  .rows = 4});
    ASSERT_TRUE(s.started()) << s.error();
    EXPECT_EQ(s.wait_exit(), 0);
    EXPECT_EQ(s.row(1), "  Hi there");
    EXPECT_TRUE(s.cell(1, 2).bold);
    EXPECT_EQ(s.cell(1, 2).fg, 6);
    EXPECT_FALSE(s.cell(1, 5).bold);
    EXPECT_TRUE(s.cell(1, 5).reverse);
    EXPECT_EQ(s.rows().size(), 4u);
}

TEST(PtySession, TypedBytesReachTheProgramAndTheExitStatusIsReported) {
    PtySession s({.program = "/bin/cat", .columns = 40, .rows = 5});
    ASSERT_TRUE(s.started()) << s.error();
    s.write("echoed line\r");
    EXPECT_TRUE(s.wait_for_text("echoed line"));
    s.write("\x04");  // end of input in canonical mode
    EXPECT_EQ(s.wait_exit(), 0);

    PtySession failing({.program = "/bin/false"});
    EXPECT_EQ(failing.wait_exit(), 1);
}

// The lines the program wrote, whether or not they are still on the screen.
std::vector<std::string> output_lines(const PtySession& s) {
    std::vector<std::string> lines;
    const std::string& out = s.output();
    for (std::size_t at = 0; at < out.size();) {
        const std::size_t end = std::min(out.find("\r\n", at), out.size());
        lines.push_back(out.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

bool has_line(const std::vector<std::string>& lines, std::string_view line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Read from the output, not the screen: however many variables there are,
// none scrolls away.
TEST(PtySession, EnvironmentSizeAndKill) {
    PtySession s({.program = "/usr/bin/env",
                  .env = {{"PTY_PROBE", "42"}, {"PATH", std::nullopt}},
                  .columns = 120});
    ASSERT_TRUE(s.started());
    EXPECT_EQ(s.wait_exit(), 0);
    const auto lines = output_lines(s);
    EXPECT_TRUE(has_line(lines, "PTY_PROBE=42")) << s.output();
    EXPECT_TRUE(has_line(lines, "TERM=xterm-256color")) << s.output();
    for (const auto& line : lines) EXPECT_FALSE(line.starts_with("PATH=")) << line;

    PtySession sleeper({.program = "/bin/sleep", .args = {"30"}});
    EXPECT_FALSE(sleeper.wait_exit(std::chrono::milliseconds(100)).has_value());
    sleeper.kill();
    EXPECT_EQ(sleeper.exit_status(), 128 + 9);
}

}  // namespace
}  // namespace tarnwick::test
