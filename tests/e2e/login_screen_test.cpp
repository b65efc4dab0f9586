// The real login screen on a pseudo-terminal, driven with keys and mouse
// reports through the login driver executable.

#include "support/ci_gate.h"
#include "support/pty_session.h"
#include "support/scratch_dir.h"
#include "support/terminal_keys.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick {
namespace {

using test::PtyOptions;
using test::PtySession;
using test::ScratchDir;
using namespace tarnwick::test;  // keys and mouse reports

const std::string kFixture = std::string(TARNWICK_FIXTURES_DIR) + "/login-screen";

struct Driver {
    ScratchDir scratch;
    std::unique_ptr<PtySession> session;

    explicit Driver(std::vector<std::string> extra = {}) {
        scratch.write("log/tarnwick-console.log",
                      "[1] boot ok\n[2] pam: password=abc refused\n[3] ready\n", 0600);
        std::vector<std::string> args = {
            "--result",    scratch.file("result"),    "--locales",     kFixture + "/locales",
            "--config",    kFixture + "/config",      "--users",       "alice,bob,carol",
            "--addresses", "192.0.2.10,2001:db8::10", "--private-log", scratch.file("log")};
        args.insert(args.end(), extra.begin(), extra.end());
        PtyOptions options;
        options.program = TARNWICK_LOGIN_DRIVER;
        options.args = std::move(args);
        options.columns = 100;
        options.rows = 30;
        session = std::make_unique<PtySession>(options);
    }

    std::string result() const { return scratch.read("result"); }
};

// Resizes the terminal and waits until the program has noticed: it clears
// the screen before the first frame of a new size.
bool resize_and_wait(PtySession& s, std::uint16_t columns, std::uint16_t rows) {
    const std::size_t before = s.output().size();
    s.resize(columns, rows);
    return s.wait_for_output("\x1b[2J", PtySession::kDefaultTimeout, before);
}

TEST(LoginScreenE2E, KeyboardAndMouseToARequest) {
    REQUIRE_ROOT("needs root for a private /var/log");
    Driver d;
    PtySession& s = *d.session;
    ASSERT_TRUE(s.started()) << s.error();
    ASSERT_TRUE(s.wait_for_texts({" Sign in ", " Console ", "192.0.2.10  ·  2001:db8::10",
                                  "Welcome to the test machine.", " User: alice ▼ "}))
        << s.screen_text();
    EXPECT_TRUE(s.alternate_screen());

    // Language by mouse: open the field, pick Deutsch (en-US, Deutsch, Français).
    s.write(click_and_release(5, 26));
    ASSERT_TRUE(s.wait_for_text("▶ English (en-US)")) << s.screen_text();
    s.write(click_and_release(5, 22));
    // "F1 diagnostics" comes from the fallback locale.
    ASSERT_TRUE(
        s.wait_for_texts({" Anmelden ", "Testkonsole", " Sprache: Deutsch ▼ ", "F1 diagnostics"}))
        << s.screen_text();

    // Back to the password and type it.
    s.write("\t");
    s.write("secret");
    ASSERT_TRUE(s.wait_for_text(" Kennwort: ******█")) << s.screen_text();

    // F1 shows the console log with the password line hidden; Esc returns.
    s.write("\x1bOP");
    ASSERT_TRUE(
        s.wait_for_texts({"Console diagnostics", "   1 │ [1] boot ok", "   2 │ <redacted>"}))
        << s.screen_text();
    EXPECT_FALSE(s.screen_contains("password=abc"));
    s.write("\x1b");
    ASSERT_TRUE(s.wait_for_text(" Kennwort: ******█")) << s.screen_text();

    // Garbage and resizes change nothing. A character typed and deleted after
    // the garbage shows it was read.
    s.write("\xff\xfe\x1b[99~\x1b[1;5X\x1bOz\xc0\xaf");
    s.write("z");
    ASSERT_TRUE(s.wait_for_text(" Kennwort: *******█")) << s.screen_text();
    s.write("\x7f");
    ASSERT_TRUE(s.wait_for_text(" Kennwort: ******█")) << s.screen_text();
    ASSERT_TRUE(resize_and_wait(s, 60, 30)) << s.screen_text();
    ASSERT_TRUE(resize_and_wait(s, 100, 30)) << s.screen_text();
    ASSERT_TRUE(s.wait_for_texts({" Kennwort: ******█", " Benutzer: alice ▼ "})) << s.screen_text();

    s.write("\r");
    EXPECT_EQ(s.wait_exit(), 0);
    EXPECT_EQ(d.result(), "request user=alice password=secret language=de-DE\n");
    EXPECT_FALSE(s.alternate_screen());
}

TEST(LoginScreenE2E, EscLeavesWithNothing) {
    REQUIRE_ROOT("needs root for a private /var/log");
    Driver d;
    PtySession& s = *d.session;
    ASSERT_TRUE(s.started()) << s.error();
    ASSERT_TRUE(s.wait_for_text(" Sign in ")) << s.screen_text();
    s.write("\x1b[A");  // up: the user list opens
    ASSERT_TRUE(s.wait_for_text(" Users ")) << s.screen_text();
    s.write("\x1b");  // closes the list
    ASSERT_TRUE(s.wait_for_text(" User: alice ▼ ")) << s.screen_text();
    s.write("\x1b");
    EXPECT_EQ(s.wait_exit(), 0);
    EXPECT_EQ(d.result(), "left\n");
}

TEST(LoginScreenE2E, ErrorBoxThenTypedName) {
    REQUIRE_ROOT("needs root for a private /var/log");
    Driver d({"--typed", "--failure", "Sign-in failed"});
    PtySession& s = *d.session;
    ASSERT_TRUE(s.started()) << s.error();
    ASSERT_TRUE(s.wait_for_texts({" Sign-in failed ", "Tried as: alice", "No password was entered.",
                                  "Attempts remaining: 2"}))
        << s.screen_text();
    // Keys other than the dismissing ones leave the box; the diagnostics
    // opened and closed after them show they were read.
    s.write("x\t");
    s.write("\x1bOP");
    ASSERT_TRUE(s.wait_for_text("Console diagnostics")) << s.screen_text();
    s.write("\x1b");
    ASSERT_TRUE(s.wait_until([&] { return !s.screen_contains("Console diagnostics"); }))
        << s.screen_text();
    EXPECT_TRUE(s.wait_for_text(" Sign-in failed ")) << s.screen_text();
    s.write(click_and_release(50, 15));  // a press anywhere dismisses, focus on the password
    ASSERT_TRUE(s.wait_for_text(" Password: █")) << s.screen_text();
    s.write("\t");
    ASSERT_TRUE(s.wait_for_text(" User: type a user name█ ")) << s.screen_text();

    s.write("dave\r");
    s.write("p w\r");
    EXPECT_EQ(s.wait_exit(), 0);
    EXPECT_EQ(d.result(), "request user=dave password=p w language=en-US\n");
}

}  // namespace
}  // namespace tarnwick
