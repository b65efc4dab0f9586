#include "app/pam/auth_log.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "core/console_log.h"
#include "core/console_log_internal.h"
#include "support/scoped_env.h"
#include "support/scratch_dir.h"

namespace tarnwick::app {
namespace {

TEST(AuthLogLine, FormatsAndQuotes) {
    struct Case {
        const char* display;
        std::string pam_user;
        std::string tty;
        std::size_t len;
        std::optional<std::string_view> result;
        const char* line;
    };
    const Case cases[] = {
        {"alice", "alice", "ttyv0", 6, std::nullopt,
         "T display=\"alice\" pam_user=\"alice\" tty=\"ttyv0\" password_len=6 result=attempt\n"},
        {"Administrator", "root", "ttyv0", 3, "ok",
         "T display=\"Administrator\" pam_user=\"root\" tty=\"ttyv0\" password_len=3 result=ok\n"},
        {"say \"hi\"\\", "a\tb\r\n", std::string("nul\0", 4), 0, std::nullopt,
         "T display=\"say \\\"hi\\\"\\\\\" pam_user=\"a\\tb\\r\\n\" tty=\"nul\\0\" password_len=0 "
         "result=attempt\n"},
        {"esc", "x", "tty\x1b[2J", 1, std::nullopt,
         "T display=\"esc\" pam_user=\"x\" tty=\"tty\\u{1b}[2J\" password_len=1 result=attempt\n"},
        // non-ASCII letters stay; combining marks, non-breaking and other
        // invisible characters are escaped; invalid bytes become U+FFFD
        {"J\xC3\xB6rg \xE5\xB1\xB1\xE7\x94\xB0", "e\xCC\x81", "\xC2\xA0\xE2\x80\x8B\xC2\x85\x7F", 2,
         std::nullopt,
         "T display=\"J\xC3\xB6rg \xE5\xB1\xB1\xE7\x94\xB0\" pam_user=\"e\\u{301}\" "
         "tty=\"\\u{a0}\\u{200b}\\u{85}\\u{7f}\" password_len=2 result=attempt\n"},
        {"bad\xFF", "", "", 0, std::nullopt,
         "T display=\"bad\xEF\xBF\xBD\" pam_user=\"\" tty=\"\" password_len=0 result=attempt\n"},
        // the result goes in as it stands
        {"bob", "bob", "ttyv1", 5, "bad password or auth: PAM authenticate failed: \"x\"",
         "T display=\"bob\" pam_user=\"bob\" tty=\"ttyv1\" password_len=5 "
         "result=bad password or auth: PAM authenticate failed: \"x\"\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(auth_log_line("T", c.display, c.pam_user, c.tty, c.len, c.result), c.line);
    }
}

class AuthLog : public ::testing::Test {
protected:
    void SetUp() override {
        saved_console_ = console_log_internal::console_log_path();
        console_log_internal::set_console_log_path(scratch_.file("console.log"));
        env_.set("PATH", std::string(TARNWICK_TEST_BIN_DIR) + ":/usr/bin:/bin")
            .set("TARNWICK_FAKE_DATE", "2026-01-31T23:59:59Z")
            .set("TARNWICK_FAKE_LOG", scratch_.file("calls"));
    }
    void TearDown() override { console_log_internal::set_console_log_path(saved_console_); }

    std::string last_console_line() {
        const auto ring = console_ring_snapshot();
        return ring.empty() ? "" : ring.back();
    }

    test::ScratchDir scratch_;
    test::ScopedEnv env_;
    std::string saved_console_;
};

TEST_F(AuthLog, AppendsLinesWithRestrictedModeAndCopiesThemToTheConsole) {
    const std::string path = scratch_.file("auth.log");
    const mode_t old_umask = ::umask(0);
    append_auth_log(path, "alice", "alice", "ttyv0", 6, std::nullopt);
    ::umask(old_umask);
    append_auth_log(path, "alice", "alice", "ttyv0", 6, "ok");

    EXPECT_EQ(scratch_.read("auth.log"),
              "2026-01-31T23:59:59Z display=\"alice\" pam_user=\"alice\" tty=\"ttyv0\" "
              "password_len=6 result=attempt\n"
              "2026-01-31T23:59:59Z display=\"alice\" pam_user=\"alice\" tty=\"ttyv0\" "
              "password_len=6 result=ok\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(scratch_.read("calls"), "date -u +%Y-%m-%dT%H:%M:%SZ\ndate -u +%Y-%m-%dT%H:%M:%SZ\n");

    const std::string console = last_console_line();
    const std::string tail =
        " 2026-01-31T23:59:59Z display=\"alice\" pam_user=\"alice\" tty=\"ttyv0\" password_len=6 "
        "result=ok";
    ASSERT_GE(console.size(), tail.size());
    EXPECT_EQ(console.substr(console.size() - tail.size()), tail);
    EXPECT_EQ(console.front(), '[');
}

TEST_F(AuthLog, TimeField) {
    struct Case {
        const char* name;
        std::optional<std::string> date_output;  // nullopt: no date on the PATH
        const char* time;
    };
    const Case cases[] = {
        {"trimmed", "  2026-02-01T00:00:00Z \t", "2026-02-01T00:00:00Z"},
        {"prints nothing", "", ""},
        {"not UTF-8", "2026\xFF", "unknown-time"},
        {"missing", std::nullopt, "unknown-time"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.date_output) {
            env_.set("PATH", std::string(TARNWICK_TEST_BIN_DIR) + ":/usr/bin:/bin");
            env_.set("TARNWICK_FAKE_DATE", *c.date_output);
        } else {
            env_.set("PATH", scratch_.path());
        }
        EXPECT_EQ(auth_log_time(), c.time);
    }
    // the line still goes out without date
    append_auth_log(scratch_.file("auth.log"), "a", "a", "t", 0, std::nullopt);
    EXPECT_EQ(scratch_.read("auth.log").substr(0, 13), "unknown-time ");
}

TEST_F(AuthLog, UnwritableFileStillReachesTheConsole) {
    const std::string link = scratch_.file("link.log");
    ASSERT_EQ(::symlink(scratch_.file("target.log").c_str(), link.c_str()), 0);
    // A FIFO without a reader must neither hang the login nor get the line.
    const std::string fifo = scratch_.file("fifo.log");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string cases[] = {scratch_.file("no/such/dir/auth.log"), link, fifo};
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        append_auth_log(path, "carol", "carol", "ttyv2", 4, "denied");
        const std::string console = last_console_line();
        EXPECT_NE(console.find("display=\"carol\""), std::string::npos);
        EXPECT_NE(console.find("result=denied"), std::string::npos);
    }
    // a symbolic link is not followed
    EXPECT_EQ(scratch_.read("target.log"), "");
}

}  // namespace
}  // namespace tarnwick::app
