#pragma once
// The console in the sandbox on a pseudo-terminal, for the end-to-end tests
// of this folder: the real binary inside private mount and network
// namespaces (tests/e2e/sandbox) with pam_wrapper, nss_wrapper and the fake
// FreeBSD commands, and a fresh state folder seeded from res/ per test.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "session/sandbox_available.h"
#include "support/ci_gate.h"
#include "support/pty_session.h"
#include "support/scratch_dir.h"
#include "support/terminal_keys.h"

namespace tarnwick::test {

namespace fs = std::filesystem;

inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream ss(text);
    for (std::string line; std::getline(ss, line);) lines.push_back(line);
    return lines;
}

class ConsoleSession : public testing::Test {
protected:
    static constexpr int kColumns = 100;
    static constexpr int kRows = 30;

    void SetUp() override {
        std::string why;
        if (!sandbox_possible(why)) SKIP_OR_FAIL_IN_CI(why);
        // The sandbox's accounts must reach their home folders inside it.
        fs::permissions(scratch_.path(), fs::perms::owner_all | fs::perms::group_read |
                                             fs::perms::group_exec | fs::perms::others_read |
                                             fs::perms::others_exec);
        state_ = fs::path(scratch_.path()) / "state";
        config_ = state_ / "etc-tarnwick";
        fs::create_directories(config_);
        fs::copy(fs::path(TARNWICK_SOURCE_DIR) / "res", config_, fs::copy_options::recursive);
        std::ofstream(config_ / ".seeded").put('\n');
        write_config(R"({"user_list": "never"})");
    }

    void write_config(const std::string& json) { std::ofstream(config_ / "config.json") << json; }

    std::unique_ptr<PtySession> start(std::vector<std::string> extra_sandbox_args = {},
                                      std::vector<std::string> tarnwick_args = {}) {
        PtyOptions options;
        options.program = std::string(TARNWICK_SOURCE_DIR) + "/tests/e2e/sandbox";
        options.args = {"--state", state_.string()};
        for (auto& a : extra_sandbox_args) options.args.push_back(a);
        options.args.push_back("--");
        for (auto& a : tarnwick_args) options.args.push_back(a);
        options.env = extra_env_;
        options.env["TARNWICK_BIN"] = TARNWICK_BINARY;
        options.env["TERM"] = "xterm";
        options.env["LANG"] = std::nullopt;
        options.env["LC_ALL"] = std::nullopt;
        options.env["LC_MESSAGES"] = std::nullopt;
        options.columns = kColumns;
        options.rows = kRows;
        auto session = std::make_unique<PtySession>(options);
        EXPECT_TRUE(session->started()) << session->error();
        return session;
    }

    // Types a name and a password into the login screen (typed-name mode).
    static void sign_in(PtySession& s, const std::string& user, const std::string& password) {
        ASSERT_TRUE(s.wait_for_text("Password")) << s.screen_text();
        s.write(user);
        s.write("\r");
        s.write(password);
        s.write("\r");
    }

    // Clicks the first place on the screen that shows `text`.
    static bool click_text(PtySession& s, const std::string& text) {
        const auto rows = s.rows();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const auto col = rows[r].find(text);
            if (col == std::string::npos) continue;
            // Screen columns count characters, not bytes (frames are UTF-8).
            std::size_t column = 0;
            for (std::size_t i = 0; i < col; ++i) {
                if ((static_cast<unsigned char>(rows[r][i]) & 0xC0) != 0x80) ++column;
            }
            // One column in: the click lands on the text, not its edge.
            s.write(click_and_release(static_cast<int>(column + 1), static_cast<int>(r)));
            return true;
        }
        return false;
    }

    // Starts the console, opens the diagnostics on the login screen, and
    // returns the screen once `expected` shows; then leaves both.
    std::string diagnostics_on_login_screen(const std::string& expected) {
        auto s = start();
        EXPECT_TRUE(s->wait_for_text("Password")) << s->screen_text();
        s->write(kF1);
        EXPECT_TRUE(s->wait_for_text(expected)) << s->screen_text();
        std::string shown = s->screen_text();
        s->write("\x1b");
        // One Esc at a time: the second leaves the login screen.
        EXPECT_TRUE(s->wait_until([&] {
            return !s->screen_contains("Console diagnostics") && s->screen_contains("Password");
        })) << s->screen_text();
        s->write("\x1b");
        EXPECT_EQ(s->wait_exit(std::chrono::seconds(10)), 0);
        return shown;
    }

    // The screen as one run of text, every row at full width: a line the
    // terminal wrapped reads as it was written.
    static std::string screen_run(const PtySession& s) {
        std::string run;
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) run += s.cell(r, c).text;
        }
        return run;
    }

    // After an error end: the restored, cleared screen shows `line` from its
    // top left corner and nothing else, and the next output would start at
    // column 0.
    static void expect_said_on_console(const PtySession& s, const std::string& line) {
        const std::string run = screen_run(s);
        EXPECT_EQ(run.rfind(line, 0), 0u) << s.screen_text();
        EXPECT_EQ(run.find_first_not_of(' ', line.size()), std::string::npos) << s.screen_text();
        EXPECT_EQ(s.cursor().column, 0) << s.screen_text();
        EXPECT_FALSE(s.alternate_screen());
        EXPECT_TRUE(s.cursor_visible());
    }

    std::string auth_log() const { return read_file(state_ / "log" / "tarnwick-auth.log"); }
    std::string console_log() const { return read_file(state_ / "log" / "tarnwick-console.log"); }

    ScratchDir scratch_;
    std::map<std::string, std::optional<std::string>> extra_env_;
    fs::path state_;
    fs::path config_;
};

}  // namespace tarnwick::test
