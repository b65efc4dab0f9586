// The whole console driven as a user would: the real binary inside the
// sandbox (private mount and network namespaces, pam_wrapper, nss_wrapper,
// fake FreeBSD commands) on a pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "session/console_sandbox.h"
#include "support/wait_for.h"

namespace fs = std::filesystem;
using tarnwick::test::ConsoleSession;
using tarnwick::test::lines_of;
using tarnwick::test::PtySession;
using tarnwick::test::read_file;
using namespace std::chrono_literals;

namespace {

TEST_F(ConsoleSession, UserSignsInRunsTheShellAndLogsOut) {
    auto s = start();
    sign_in(*s, "alice", "alicepw");
    ASSERT_TRUE(s->wait_for_text("alice", 8s)) << s->screen_text();
    ASSERT_TRUE(s->wait_for_text("Open shell")) << s->screen_text();
    s->write("\r");  // the first entry is selected

    // The recording shell ends at once; the menu comes back with its status.
    fs::path record;
    (void)s->wait_until(
        [&] {
            for (const auto& e : fs::directory_iterator(state_ / "record")) {
                if (e.path().filename().string().rfind("shell-", 0) == 0 &&
                    e.path().extension() != ".tmp" && e.path().extension() != ".fds") {
                    record = e.path();
                }
            }
            return !record.empty();
        },
        10s);
    ASSERT_FALSE(record.empty()) << s->screen_text() << console_log();
    const std::string rec = read_file(record);
    EXPECT_NE(rec.find("uid=1001 gid=1001"), std::string::npos) << rec;
    EXPECT_NE(rec.find("1000"), std::string::npos) << "console group missing: " << rec;
    // Every descriptor a child of the shell sees beyond 0-2 is the listing's
    // own; standard error is the terminal, not the capture pipe.
    for (const auto& line : lines_of(read_file(record.string() + ".fds"))) {
        const auto arrow = line.find(" -> ");
        if (arrow == std::string::npos) continue;
        const auto space = line.rfind(' ', arrow - 1);
        const int fd = std::stoi(line.substr(space + 1, arrow - space - 1));
        const std::string target = line.substr(arrow + 4);
        if (fd == 2) {
            EXPECT_EQ(target.rfind("/dev/pts/", 0), 0u) << line;
        } else if (fd > 2) {
            EXPECT_EQ(target.rfind("/proc/", 0), 0u) << "leaked: " << line;
        }
    }
    EXPECT_NE(rec.find("argv0=" + (state_ / "home/alice/record-shell").string()), std::string::npos)
        << rec;
    // SIGPIPE (signal 13, bit 0x1000) stays ignored; the signal mask is empty.
    EXPECT_NE(rec.find("SigBlk:\t0000000000000000"), std::string::npos) << rec;
    const auto ign = rec.find("SigIgn:\t");
    ASSERT_NE(ign, std::string::npos) << rec;
    EXPECT_TRUE(std::stoull(rec.substr(ign + 8, 16), nullptr, 16) & 0x1000u) << rec;
    const auto env_at = rec.find("--env\n");
    ASSERT_NE(env_at, std::string::npos);
    std::vector<std::string> names;
    for (const auto& line : lines_of(rec.substr(env_at + 6))) {
        names.push_back(line.substr(0, line.find('=')));
    }
    // The shell itself adds PWD (and sometimes SHLVL/_); everything else must
    // come from the seven variables the console passes.
    std::vector<std::string> ours;
    for (const auto& n : names) {
        if (n != "PWD" && n != "SHLVL" && n != "_" && n != "OLDPWD") ours.push_back(n);
    }
    EXPECT_EQ(ours, (std::vector<std::string>{"HOME", "LANG", "LOGNAME", "PATH", "SHELL", "TERM",
                                              "USER"}))
        << rec;
    EXPECT_NE(rec.find("TERM=xterm\n"), std::string::npos) << rec;
    EXPECT_NE(rec.find("LANG=en_US.UTF-8\n"), std::string::npos) << rec;

    ASSERT_TRUE(s->wait_for_text("Shell session ended", 8s)) << s->screen_text();
    s->write("q");
    const auto status = s->wait_exit(10s);
    EXPECT_EQ(status, 0) << s->screen_text();

    const auto auth = lines_of(auth_log());
    ASSERT_EQ(auth.size(), 2u) << auth_log();
    EXPECT_NE(auth[0].find("attempt"), std::string::npos);
    EXPECT_NE(auth[1].find("result=ok"), std::string::npos) << auth[1];
    const std::string log = console_log();
    EXPECT_NE(log.find("start tty=/dev/ttyv0 pam_hint="), std::string::npos) << log;
    EXPECT_NE(log.find("loaded login TWML from "), std::string::npos) << log;
    EXPECT_NE(log.find("console diagnostics capture installed"), std::string::npos) << log;
}

TEST_F(ConsoleSession, AdministratorSignsInAsRoot) {
    auto s = start();
    sign_in(*s, "Administrator", "rootpw");
    ASSERT_TRUE(s->wait_for_text("Power & log out", 8s)) << s->screen_text();
    EXPECT_TRUE(s->screen_contains("Welcome, Administrator")) << s->screen_text();
    // The power menu by mouse: an administrator gets reboot and power off too.
    ASSERT_TRUE(click_text(*s, "Power & log out"));
    ASSERT_TRUE(s->wait_for_text("Reboot", 8s)) << s->screen_text();
    EXPECT_TRUE(s->screen_contains("Power off")) << s->screen_text();
    ASSERT_TRUE(click_text(*s, "Log out")) << s->screen_text();
    EXPECT_EQ(s->wait_exit(10s), 0);
    const auto auth = lines_of(auth_log());
    ASSERT_EQ(auth.size(), 2u) << auth_log();
    for (const auto& line : auth) {
        EXPECT_NE(line.find("\"Administrator\""), std::string::npos) << line;
        EXPECT_NE(line.find("\"root\""), std::string::npos) << line;
    }
    EXPECT_NE(auth[1].find("result=ok"), std::string::npos);
}

TEST_F(ConsoleSession, MenuPagesCannotGrantAUserPowerActions) {
    // Pages that only require a session but offer power off and reboot
    // without an item requirement: the entries show, choosing them is refused.
    std::ofstream(config_ / "templates/pages/admin-menu.twml")
        << R"(<screen id="admin-menu" require="session">
  <main><menu id="main">
    <item id="off" action="shutdown" label-key="action.power_off"/>
    <item id="shell" action="shell" label-key="action.shell"/>
    <item id="session" action="power" label-key="action.power"/>
  </menu></main>
</screen>)";
    std::ofstream(config_ / "templates/pages/power-menu.twml")
        << R"(<screen id="power-menu" require="session">
  <main><menu id="power">
    <item id="reboot" action="reboot" label-key="action.reboot"/>
    <item id="back" action="back" label-key="action.back"/>
  </menu></main>
</screen>)";
    auto s = start();
    sign_in(*s, "alice", "alicepw");
    ASSERT_TRUE(s->wait_for_text("Power off", 8s)) << s->screen_text();
    s->write("\r");
    const std::string refused = "Not authorized to change network configuration";
    ASSERT_TRUE(s->wait_for_text(refused, 8s)) << s->screen_text();
    EXPECT_FALSE(s->screen_contains("not available")) << s->screen_text();

    // Another status in between, then the power menu's reboot.
    s->write("j\r");
    ASSERT_TRUE(s->wait_for_text("Shell session ended", 8s)) << s->screen_text();
    s->write("jj\r");
    ASSERT_TRUE(s->wait_for_text("Reboot", 8s)) << s->screen_text();
    s->write("\r");
    ASSERT_TRUE(s->wait_for_text(refused, 8s)) << s->screen_text();
    EXPECT_FALSE(s->screen_contains("not available")) << s->screen_text();
    s->write("q");
    EXPECT_EQ(s->wait_exit(10s), 0) << s->screen_text();
    // Neither refusal asked a question or ran the shutdown command.
    EXPECT_EQ(read_file(state_ / "fake-commands.log").find("shutdown"), std::string::npos);
}

// What is typed into the name field may be a password typed too early: it
// reaches the authentication log, never a console-log line that F1 shows to
// the next person at the console.
TEST_F(ConsoleSession, ThreeWrongPasswordsEndWith77AndHideTheTypedName) {
    const std::string typed = "Hunter2.secret";
    auto s = start();
    sign_in(*s, typed, "wrong1");
    ASSERT_TRUE(s->wait_for_text("Attempts remaining: 2", 8s)) << s->screen_text();
    EXPECT_TRUE(s->screen_contains("Tried as: " + typed)) << s->screen_text();
    const auto dismiss = [&] {
        s->write("\r");  // the name stays preset
        ASSERT_TRUE(s->wait_until([&] { return !s->screen_contains("Tried as: "); }))
            << s->screen_text();
    };
    dismiss();
    s->write("wrong2\r");
    ASSERT_TRUE(s->wait_for_text("Attempts remaining: 1", 8s)) << s->screen_text();
    dismiss();
    s->write("wrong3\r");
    EXPECT_EQ(s->wait_exit(15s), 77) << s->screen_text();

    const auto auth = lines_of(auth_log());
    ASSERT_EQ(auth.size(), 6u) << auth_log();
    for (std::size_t i = 0; i < 6; i += 2) {
        EXPECT_NE(auth[i].find("attempt"), std::string::npos) << auth[i];
        EXPECT_NE(auth[i + 1].find("bad password or auth"), std::string::npos) << auth[i + 1];
        EXPECT_NE(auth[i].find("display=\"" + typed + "\""), std::string::npos) << auth[i];
    }
    const std::string log = console_log();
    // The line keeps its text and the terminal label, no names.
    EXPECT_TRUE(std::regex_search(
        log, std::regex(R"(\] authentication failed after 3 attempts \(tty=[^ ()]+\)\n)")))
        << log;
    // The only console-log lines with the name are the authentication log's
    // copies, which the diagnostics view hides.
    for (const auto& line : lines_of(log)) {
        if (line.find(typed) != std::string::npos) {
            EXPECT_NE(line.find("password_len="), std::string::npos) << line;
        }
    }

    // The next person at the console opens the diagnostics.
    const std::string shown = diagnostics_on_login_screen("authentication failed after 3 attempts");
    EXPECT_EQ(shown.find("Hunter2"), std::string::npos) << shown;
}

// A number that once crashed the JSON reader: the console ends with the
// configuration error instead of never showing a login screen.
TEST_F(ConsoleSession, ConfigurationNumberThatOnceCrashedIsAnError) {
    write_config(R"({"user_list_max": 1.00000000000000001e-340})");
    auto s = start();
    EXPECT_EQ(s->wait_exit(10s), 70) << s->screen_text();
    EXPECT_NE(console_log().find("tarnwick error: JSON parse error: invalid type: floating point "
                                 "`0.0`, expected usize"),
              std::string::npos)
        << console_log();
    // Standard error is the capture by then: the console itself says it too.
    expect_said_on_console(*s,
                           "tarnwick error: JSON parse error: invalid type: floating point `0.0`, "
                           "expected usize (see /var/log/tarnwick-console.log)");
}

// A configuration error quotes what config.json holds; on the console those
// characters are written out, so no escape sequence of the file reaches it.
TEST_F(ConsoleSession, ConfigurationErrorReachesTheConsoleWithoutItsControlCharacters) {
    write_config(R"({"color": "\u001b[2J\u001b]0;x\u0007\u009b31m"})");
    auto s = start();
    EXPECT_EQ(s->wait_exit(10s), 70) << s->screen_text();
    const std::string line =
        "tarnwick error: JSON parse error: unknown variant "
        "`\\033[2J\\033]0;x\\007\\302\\23331m`, "
        "expected one of `auto`, `always`, `never` (see /var/log/tarnwick-console.log)";
    expect_said_on_console(*s, line);
    // Byte for byte: the line and its end, nothing the terminal would act on.
    const auto at = s->output().rfind("tarnwick error: ");
    ASSERT_NE(at, std::string::npos) << s->output();
    std::string said = s->output().substr(at);
    while (!said.empty() && (said.back() == '\r' || said.back() == '\n')) said.pop_back();
    EXPECT_EQ(said, line);
    // The log file holds the same text.
    EXPECT_NE(console_log().find(line.substr(0, line.find(" (see "))), std::string::npos)
        << console_log();
}

// A console that cannot start ends while its terminal's output is stopped
// (Ctrl-S typed at once, or a paused line): init must be able to start it
// again, and the log says why it ended.
TEST_F(ConsoleSession, StoppedOutputDoesNotHoldAFailingStart) {
    struct Case {
        const char* name;
        bool typed_stop;  // Ctrl-S; else the output is stopped as flow control does
        int status;
        std::string logged;
    };
    const Case cases[] = {
        {"configuration error, Ctrl-S", true, 70,
         "] tarnwick error: JSON parse error: invalid type: integer `5`, expected"},
        {"configuration error, flow control", false, 70,
         "] tarnwick error: JSON parse error: invalid type: integer `5`, expected"},
        {"no login page, Ctrl-S", true, 78, "] login TWML required: login.twml not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(state_ / "log" / "tarnwick-console.log");
        std::vector<std::string> sandbox;
        write_config(R"({"user_list": "never"})");
        if (c.status == 78) {
            fs::rename(config_ / "templates", state_ / "templates-away");
            sandbox.push_back("--hide-source-templates");
        } else {
            write_config(R"({"user_list": 5})");
        }
        auto s = start(sandbox);
        if (c.typed_stop) {
            // Taken by the terminal as it arrives, before the console writes.
            s->write("\x13");
        } else {
            const int slave = ::open(s->tty_path().c_str(), O_RDWR | O_NOCTTY);
            ASSERT_GE(slave, 0) << s->tty_path();
            EXPECT_EQ(::tcflow(slave, TCOOFF), 0);
            ::close(slave);
        }
        EXPECT_EQ(s->wait_exit(30s), c.status) << s->screen_text();
        EXPECT_NE(console_log().find(c.logged), std::string::npos) << console_log();
        if (c.status == 78) fs::rename(state_ / "templates-away", config_ / "templates");
    }
}

// `stty rows 65535 cols 65535` in the user's shell: the menu that comes back
// must not try to allocate a frame of that size.
TEST_F(ConsoleSession, HugeTerminalSizeSetInTheShellLeavesTheMenuUsable) {
    auto s = start();
    sign_in(*s, "bob", "bobpw");
    ASSERT_TRUE(s->wait_for_text("Open shell", 8s)) << s->screen_text();
    s->write("\r");
    ASSERT_TRUE(s->wait_for_text("$", 8s)) << s->screen_text();
    const std::size_t before = s->output().size();
    s->write("stty rows 65535 cols 65535; exit\r");
    // The menu draws its first frame at the clamped size...
    ASSERT_TRUE(s->wait_for_output("Shell session ended", 20s, before)) << s->screen_text();
    // ...and is whole again once the terminal has a sensible size.
    s->resize(100, 30);
    ASSERT_TRUE(s->wait_for_text("Shell session ended", 10s)) << s->screen_text();
    EXPECT_TRUE(s->screen_contains("Open shell")) << s->screen_text();
    s->write("q");
    EXPECT_EQ(s->wait_exit(10s), 0) << s->screen_text();
}

TEST_F(ConsoleSession, EscLeavesWithZero) {
    auto s = start();
    ASSERT_TRUE(s->wait_for_text("Password")) << s->screen_text();
    s->write("\x1b");
    EXPECT_EQ(s->wait_exit(10s), 0) << s->screen_text();
    EXPECT_EQ(auth_log(), "");
}

// Without a usable login page the console ends with 78 and says why: in the
// log, on standard error (the capture, so in the log too) and, last, on the
// console itself. A page that is there but does not load is named with its
// load error.
TEST_F(ConsoleSession, NoUsableLoginPageEndsWith78SayingWhy) {
    const struct {
        const char* name;
        const char* page;  // pages/login.twml of the configuration folder, if any
        std::string why;
    } cases[] = {
        {"no login page anywhere", nullptr,
         "login.twml not found under config/templates or /usr/local/etc/tarnwick/templates"},
        {"a login page that does not load",
         R"(<screen id="login"><main><field id="user"/></main></screen>)",
         "/usr/local/etc/tarnwick/templates/pages/login.twml: login TWML must define a "
         "password field (id=password or type=password)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(config_ / "templates");
        fs::remove(state_ / "log" / "tarnwick-console.log");
        if (c.page != nullptr) {
            fs::create_directories(config_ / "templates/pages");
            std::ofstream(config_ / "templates/pages/login.twml") << c.page;
        }
        auto s = start({"--hide-source-templates"});
        EXPECT_EQ(s->wait_exit(10s), 78);
        const std::string log = console_log();
        EXPECT_NE(log.find("] login TWML required: " + c.why + "\n"), std::string::npos) << log;
        if (c.page != nullptr) {
            EXPECT_NE(log.find("] login TWML invalid at /usr/local/etc/tarnwick/templates/pages/"
                               "login.twml: login TWML must define a password field"),
                      std::string::npos)
                << log;
        }
        // Standard error was already captured, so its copy of the message is in the log too.
        EXPECT_NE(log.find("] tarnwick: login TWML required: " + c.why + "\n"), std::string::npos)
            << log;
        // ...and the console itself says it, once.
        expect_said_on_console(*s, "tarnwick: login TWML required: " + c.why);
    }
}

// What the console wrote to standard error just before it ended reaches the
// log, also when the capture thread lags behind (the preloaded delay holds
// each of its appends back), on every way the session ends.
TEST_F(ConsoleSession, LastStandardErrorLineReachesTheLogOnEveryExit) {
    struct Case {
        const char* name;
        int status;
        std::string expected;  // a captured line of standard error
    };
    const Case cases[] = {
        {"no login page", 78, "] tarnwick: login TWML required: login.twml not found"},
        {"configuration error", 70, "(see /var/log/tarnwick-console.log)"},
        {"left after a click", 0, "] MOUSE_TRACE login act="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(state_ / "log" / "tarnwick-console.log");
        std::vector<std::string> sandbox = {"--preload", TARNWICK_CAPTURE_DELAY};
        write_config(R"({"user_list": "never"})");
        extra_env_.erase("TARNWICK_MOUSE_TRACE");
        if (c.status == 78) {
            fs::rename(config_ / "templates", state_ / "templates-away");
            sandbox.push_back("--hide-source-templates");
        } else if (c.status == 70) {
            write_config(R"({"user_list": 5})");
        } else {
            extra_env_["TARNWICK_MOUSE_TRACE"] = "";
        }
        auto s = start(sandbox);
        if (c.status == 0) {
            ASSERT_TRUE(s->wait_for_text("Password")) << s->screen_text();
            // A click anywhere is traced on standard error; Esc leaves at once.
            s->write("\x1b[<0;1;1M\x1b[<0;1;1m\x1b");
        }
        EXPECT_EQ(s->wait_exit(30s), c.status) << s->screen_text();
        const std::string log = console_log();
        EXPECT_NE(log.find(c.expected), std::string::npos) << log;
        if (c.status == 78) fs::rename(state_ / "templates-away", config_ / "templates");
    }
}

TEST_F(ConsoleSession, InvalidPageInFirstFolderFallsThroughToTheNext) {
    // A configuration folder of its own whose login page is broken; the
    // second folder (/usr/local/etc/tarnwick/templates) holds a good one.
    const fs::path other = state_ / "other-config";
    fs::create_directories(other / "templates/pages");
    std::ofstream(other / "config.json") << R"({"user_list": "never"})";
    std::ofstream(other / "templates/pages/login.twml") << "<page><broken";
    fs::copy(config_ / "locales", other / "locales", fs::copy_options::recursive);
    auto s = start({}, {"--config-dir", other.string()});
    ASSERT_TRUE(s->wait_for_text("Password")) << s->screen_text();
    s->write("\x1b");
    EXPECT_EQ(s->wait_exit(10s), 0);
    const std::string log = console_log();
    const auto invalid =
        log.find("login TWML invalid at " + other.string() + "/templates/pages/login.twml: ");
    const auto loaded =
        log.find("loaded login TWML from /usr/local/etc/tarnwick/templates/pages/login.twml");
    EXPECT_NE(invalid, std::string::npos) << log;
    EXPECT_NE(loaded, std::string::npos) << log;
    EXPECT_LT(invalid, loaded);
}

TEST_F(ConsoleSession, DiagnosticsHidePasswordLines) {
    fs::create_directories(state_ / "log");
    std::ofstream(state_ / "log" / "tarnwick-console.log")
        << "[1700000000] earlier boot line\n[1700000001] Password for root leaked\n";
    const std::string shown = diagnostics_on_login_screen("earlier boot line");
    EXPECT_NE(shown.find("<redacted>"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("leaked"), std::string::npos) << shown;
}

// An ifconfig that never returns (with a child of its own holding its output
// pipe) is stopped at the command time limit, and the login screen appears.
TEST_F(ConsoleSession, HungCommandDoesNotKeepTheLoginScreenAway) {
    extra_env_["TARNWICK_FAKE_IFCONFIG_HANG"] = "600";
    auto s = start();
    ASSERT_TRUE(s->wait_for_text("Password", 60s)) << s->screen_text();
    EXPECT_NE(read_file(state_ / "fake-commands.log").find("ifconfig -a"), std::string::npos);
    s->write("\x1b");
    EXPECT_EQ(s->wait_exit(10s), 0) << s->screen_text();
}

// The terminal between two people and the shell's lifecycle. carol's login
// shell (see the sandbox) records its process id and terminal, then runs
// what the test writes to the scenario file; dave's login shell is missing.
class ConsoleHandover : public ConsoleSession {
protected:
    fs::path record(const std::string& name) const { return state_ / "record" / name; }

    void scenario(const std::string& body) const { std::ofstream(state_ / "scenario") << body; }

    // A scenario line that waits until the test creates record/go. The wait
    // is bounded (a minute) and ends with the scratch folder, so a shell that
    // ignores the hang-up never outlives a failed or finished test.
    std::string wait_for_go() const {
        const std::string go = record("go").string();
        const std::string folder = (state_ / "record").string();
        return "i=0; while [ ! -e " + go + " ] && [ -d " + folder +
               " ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i+1)); done\n";
    }

    void go() const { std::ofstream(record("go")) << "go\n"; }

    // Signs in and opens the shell (the first entry of the menu).
    static void open_shell(PtySession& s, const std::string& user, const std::string& password) {
        sign_in(s, user, password);
        ASSERT_TRUE(s.wait_for_text("Open shell", 8s)) << s.screen_text();
        s.write("\r");
    }

    // The whole content of a file once it has some (empty at the deadline).
    static std::string wait_for_file(const fs::path& path) {
        std::string text;
        (void)tarnwick::test::wait_for([&] { return !(text = read_file(path)).empty(); }, 20s);
        return text;  // empty at the deadline: the caller's check fails
    }

    // "uid gid mode" of the terminal device.
    static std::string owner_and_mode(const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return "missing " + path;
        std::ostringstream out;
        out << st.st_uid << ' ' << st.st_gid << ' ' << std::oct << (st.st_mode & 07777);
        return out.str();
    }

    // The PAM session steps, one "<step> <user>" line each.
    std::vector<std::string> pam_sessions() const {
        return lines_of(read_file(record("pam-sessions")));
    }

    // Logs out from the session menu and expects a clean end.
    static void log_out(PtySession& s) {
        ASSERT_TRUE(s.wait_for_text("Open shell", 8s)) << s.screen_text();
        s.write("q");
        EXPECT_EQ(s.wait_exit(10s), 0) << s.screen_text();
    }
};

// Root's alone before sign-in, the user's (mode 0620) while the shell runs,
// root's again once it has ended.
TEST_F(ConsoleHandover, TerminalOwnerFollowsTheSession) {
    auto s = start();
    ASSERT_TRUE(s->wait_for_text("Password")) << s->screen_text();
    const std::string tty = s->tty_path();
    EXPECT_EQ(owner_and_mode(tty), "0 0 600");
    open_shell(*s, "carol", "carolpw");
    ASSERT_TRUE(s->wait_for_text("Shell session ended", 8s)) << s->screen_text();
    // The sandbox has no "tty" group, so the user's own group is used.
    EXPECT_EQ(wait_for_file(record("scenario-tty")), tty + " 1003 1003 620\n");
    EXPECT_EQ(owner_and_mode(tty), "0 0 600");
    log_out(*s);
}

// Ctrl-C and Ctrl-\ end a shell without job control; Ctrl-Z stops it. None
// of them reaches the console, which shows its menu again afterwards.
TEST_F(ConsoleHandover, JobControlKeysInTheShellLeaveTheConsoleRunning) {
    struct Case {
        const char* name;
        const char* key;
        bool ends_the_shell;
    };
    const Case cases[] = {
        {"Ctrl-C", "\x03", true},
        {"Ctrl-\\", "\x1c", true},
        {"Ctrl-Z", "\x1a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(record("ready"));
        fs::remove(record("go"));
        scenario("echo ready > " + record("ready").string() + "\n" + wait_for_go());
        auto s = start();
        open_shell(*s, "carol", "carolpw");
        ASSERT_FALSE(wait_for_file(record("ready")).empty()) << s->screen_text();
        s->write(c.key);
        if (!c.ends_the_shell) go();
        ASSERT_TRUE(s->wait_for_text("Shell session ended", 15s))
            << s->screen_text() << "\nexit: " << s->wait_exit(0s).value_or(-1);
        log_out(*s);
    }
}

// A process of the shell's group that stops while the shell waits for it (a
// shell without job control never sees the stop) is continued too; else the
// shell and the console behind it would wait for good.
TEST_F(ConsoleHandover, StoppedChildOfTheShellIsContinued) {
    scenario("sh -c 'kill -STOP $$; echo continued > " + record("child").string() + "'\n");
    auto s = start();
    open_shell(*s, "carol", "carolpw");
    ASSERT_TRUE(s->wait_for_text("Shell session ended", 15s)) << s->screen_text();
    EXPECT_EQ(read_file(record("child")), "continued\n");
    log_out(*s);
}

// A job-control shell makes its own group the foreground one; killed with
// SIGKILL, it leaves that group behind, and the console takes the
// foreground back instead of reading a terminal that is no longer its.
TEST_F(ConsoleHandover, ShellKilledBySigkillGivesTheMenuBack) {
    scenario("exec /bin/sh -i -m\n");
    auto s = start();
    open_shell(*s, "carol", "carolpw");
    const std::string pid = wait_for_file(record("scenario-pids"));
    ASSERT_FALSE(pid.empty()) << s->screen_text();
    ASSERT_TRUE(s->wait_for_text("$", 8s)) << s->screen_text();
    ASSERT_EQ(::kill(static_cast<pid_t>(std::stol(pid)), SIGKILL), 0);
    ASSERT_TRUE(s->wait_for_text("Shell session ended", 15s)) << s->screen_text();
    log_out(*s);
}

// What was typed while the shell ran and the shell did not read is thrown
// away: the Enter below would otherwise open the shell a second time.
TEST_F(ConsoleHandover, InputLeftByTheShellNeverReachesTheMenu) {
    scenario("echo ready > " + record("ready").string() + "\n" + wait_for_go());
    auto s = start();
    open_shell(*s, "carol", "carolpw");
    ASSERT_FALSE(wait_for_file(record("ready")).empty()) << s->screen_text();
    s->write("\r");
    go();
    ASSERT_TRUE(s->wait_for_text("Shell session ended", 15s)) << s->screen_text();
    log_out(*s);
    EXPECT_EQ(lines_of(read_file(record("scenario-pids"))).size(), 1u);
}

// A login shell that does not exist: the status line and the console log
// say which step failed and why; the shell never "ended".
TEST_F(ConsoleHandover, MissingLoginShellIsReported) {
    auto s = start();
    open_shell(*s, "dave", "davepw");
    const std::string error = "execve: No such file or directory (os error 2)";
    ASSERT_TRUE(s->wait_for_text("Shell error: " + error, 8s)) << s->screen_text();
    EXPECT_FALSE(s->screen_contains("Shell session ended"));
    log_out(*s);
    EXPECT_NE(console_log().find("shell start failed for dave: " + error), std::string::npos)
        << console_log();
}

// A user leaves a reader on the terminal, in a session of its own, and logs
// out; the console starts again on the same terminal, as init does. The
// reader is cut off and never sees what the next person types.
TEST_F(ConsoleHandover, LingeringReaderNeverSeesTheNextSignIn) {
    const std::string stolen = record("stolen").string();
    scenario(
        "exec 3<&0\n"
        "setsid sh -c 'cat > " +
        stolen + "; echo cut off > " + record("reader-ended").string() +
        "' <&3 &\n"
        "while [ ! -e " +
        stolen + " ]; do sleep 0.05; done\n");
    auto s = start({"--runs", "2"});
    open_shell(*s, "carol", "carolpw");
    ASSERT_TRUE(s->wait_for_text("Shell session ended", 8s)) << s->screen_text();
    EXPECT_EQ(wait_for_file(record("reader-ended")), "cut off\n");
    s->write("q");

    // The next run: the terminal is root's alone again before anyone types.
    ASSERT_TRUE(s->wait_for_text("Password", 15s)) << s->screen_text();
    EXPECT_EQ(owner_and_mode(s->tty_path()), "0 0 600");
    sign_in(*s, "alice", "alicepw");
    ASSERT_TRUE(s->wait_for_text("Welcome, alice", 8s)) << s->screen_text();
    log_out(*s);
    EXPECT_EQ(read_file(stolen), "");
    EXPECT_EQ(lines_of(auth_log()).size(), 4u) << auth_log();
}

// A hang-up or SIGTERM for the console while someone is signed in ends the
// session as a log-out would: PAM closed, the terminal root's again, a
// console log line; the status says which signal it was. A shell that
// ignores both must not keep the console waiting.
TEST_F(ConsoleHandover, StopSignalEndsTheSignedInSession) {
    struct Case {
        const char* name;
        int sig;
        bool in_shell;
    };
    const Case cases[] = {
        {"SIGTERM at the menu", SIGTERM, false},
        {"SIGHUP at the menu", SIGHUP, false},
        {"SIGTERM in a shell", SIGTERM, true},
        {"SIGHUP in a shell", SIGHUP, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"ready", "go", "pam-sessions"}) fs::remove(record(name));
        scenario("trap '' HUP TERM\necho ready > " + record("ready").string() + "\n" +
                 wait_for_go());
        auto s = start();
        if (c.in_shell) {
            open_shell(*s, "carol", "carolpw");
            ASSERT_FALSE(wait_for_file(record("ready")).empty()) << s->screen_text();
        } else {
            sign_in(*s, "carol", "carolpw");
            ASSERT_TRUE(s->wait_for_text("Open shell", 8s)) << s->screen_text();
        }
        const std::string tty = s->tty_path();
        ASSERT_EQ(::kill(s->pid(), c.sig), 0);
        EXPECT_EQ(s->wait_exit(15s), 128 + c.sig) << s->screen_text();
        go();
        EXPECT_EQ(pam_sessions(),
                  (std::vector<std::string>{"open_session carol", "close_session carol"}));
        EXPECT_EQ(owner_and_mode(tty), "0 0 600");
        EXPECT_NE(console_log().find("signed-in session ended by signal " + std::to_string(c.sig)),
                  std::string::npos)
            << console_log();
    }
}

// The console line drops while the menu is shown: the session is still
// closed before the program ends.
TEST_F(ConsoleHandover, HangUpAfterSignInClosesTheSession) {
    auto s = start();
    sign_in(*s, "carol", "carolpw");
    ASSERT_TRUE(s->wait_for_text("Open shell", 8s)) << s->screen_text();
    s->hang_up();
    const auto status = s->wait_exit(15s);
    ASSERT_TRUE(status.has_value());
    EXPECT_NE(*status, 0);
    EXPECT_EQ(pam_sessions(),
              (std::vector<std::string>{"open_session carol", "close_session carol"}));
}

// Before sign-in there is no session to end: the console leaves its screen,
// gives the terminal its modes back and ends without an error.
TEST_F(ConsoleHandover, StopSignalBeforeSignInEndsQuietly) {
    for (const int sig : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        auto s = start();
        ASSERT_TRUE(s->wait_for_text("Password")) << s->screen_text();
        ASSERT_EQ(::kill(s->pid(), sig), 0);
        EXPECT_EQ(s->wait_exit(15s), 0) << s->screen_text();
        const auto modes = s->settings();
        ASSERT_TRUE(modes.has_value());
        EXPECT_TRUE(modes->c_lflag & ICANON);
        EXPECT_TRUE(modes->c_lflag & ECHO);
        EXPECT_NE(
            console_log().find("stopped by signal " + std::to_string(sig) + " before sign-in"),
            std::string::npos)
            << console_log();
        EXPECT_TRUE(pam_sessions().empty());
    }
}

}  // namespace
