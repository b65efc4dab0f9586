// System information, power off and reboot from the session menu, driven as
// a user would in the sandbox: the shutdown that runs is the fake one, laid
// over /sbin/shutdown and /usr/sbin/shutdown and first on PATH.

#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "session/console_sandbox.h"

namespace fs = std::filesystem;
using tarnwick::test::ConsoleSession;
using tarnwick::test::PtySession;
using tarnwick::test::read_file;
using namespace std::chrono_literals;

namespace {

// A session menu page with power off in it, for users who hold "power".
constexpr const char* kMenuWithPowerOff = R"(<?xml version="1.0" encoding="UTF-8"?>
<screen schema="2.0" id="admin-menu" require="session">
  <main><menu id="main">
    <item id="shell" action="spawn_shell" label-key="action.shell"/>
    <item id="off" action="power_off" label-key="action.power_off" require="power"/>
  </menu></main>
</screen>
)";

// Pages that offer power off and reboot to every signed-in user: the action
// itself must still refuse whoever lacks "power".
constexpr const char* kMenuOfferingPowerOffToAll = R"(<?xml version="1.0" encoding="UTF-8"?>
<screen schema="2.0" id="admin-menu" require="session">
  <main><menu id="main">
    <item id="off" action="power_off" label-key="action.power_off"/>
    <item id="session" action="power_menu" label-key="action.power"/>
  </menu></main>
</screen>
)";
constexpr const char* kPowerMenuOfferingRebootToAll = R"(<?xml version="1.0" encoding="UTF-8"?>
<screen schema="2.0" id="power-menu" require="session">
  <main><menu id="power">
    <item id="reboot" action="reboot" label-key="action.reboot"/>
    <item id="back" action="back" label-key="action.back"/>
  </menu></main>
</screen>
)";

class SessionActions : public ConsoleSession {
protected:
    void use_page(const char* name, const char* page) {
        fs::create_directories(config_ / "templates" / "pages");
        std::ofstream(config_ / "templates" / "pages" / name) << page;
    }
    void use_menu_page(const char* page) { use_page("admin-menu.twml", page); }

    std::string fake_log() const { return read_file(state_ / "fake-commands.log"); }
    // The shutdown commands that ran, one per line.
    std::string shutdowns() const {
        std::string ran;
        for (const std::string& line : tarnwick::test::lines_of(fake_log())) {
            if (line.rfind("shutdown", 0) == 0) ran += line + "\n";
        }
        return ran;
    }

    // Signs in and waits for the session menu.
    std::unique_ptr<PtySession> signed_in(const std::string& user, const std::string& password) {
        auto s = start();
        sign_in(*s, user, password);
        EXPECT_TRUE(s->wait_for_text("Open shell", 8s)) << s->screen_text();
        return s;
    }

    // Chooses the menu entry, answers the dialog that asks `question` with
    // `answer`, and waits for the session menu to come back.
    void confirm(PtySession& s, const std::string& entry, const std::string& question,
                 const std::string& answer) {
        ASSERT_TRUE(click_text(s, entry)) << s.screen_text();
        ASSERT_TRUE(s.wait_for_text(question, 8s)) << s.screen_text();
        EXPECT_TRUE(s.screen_contains("[ No ]")) << s.screen_text();
        s.write(answer);
        ASSERT_TRUE(s.wait_until(
            [&] { return !s.screen_contains(question) && s.screen_contains("Open shell"); }, 8s))
            << s.screen_text();
    }

    void log_out(PtySession& s) {
        s.write("q");
        EXPECT_EQ(s.wait_exit(10s), 0) << s.screen_text();
    }
};

TEST_F(SessionActions, SystemInformationShowsTheMachine) {
    std::array<char, 256> host{};
    ASSERT_EQ(gethostname(host.data(), host.size() - 1), 0);
    auto s = signed_in("alice", "alicepw");
    ASSERT_TRUE(click_text(*s, "System information"));
    ASSERT_TRUE(s->wait_for_text("[View]", 8s)) << s->screen_text();
    ASSERT_TRUE(s->wait_for_text("↑0 ↓4")) << s->screen_text();
    const std::string hostname(host.data());
    for (const std::string_view text :
         {std::string_view("System information"), std::string_view("HOST"),
          std::string_view(hostname), std::string_view("2 days, 17:33"),
          std::string_view("FreeBSD"), std::string_view("14.1-RELEASE"),
          std::string_view("Intel(R) Xeon(R) E-2236 CPU @ 3.40GHz"), std::string_view("12 cores"),
          std::string_view("16384 MB (16.0 GB)"), std::string_view("alice"),
          std::string_view("ADDRESSES"), std::string_view("10.20.0.5"),
          std::string_view("192.168.1.10"), std::string_view("2001:db8:10::10")}) {
        EXPECT_TRUE(s->screen_contains(text)) << text << "\n" << s->screen_text();
    }
    s->write("\x1b[6~");  // PageDown: the last addresses
    ASSERT_TRUE(s->wait_for_text("fd12:3456:789a:1::10")) << s->screen_text();
    const std::string log = fake_log();
    for (const char* ran : {"uname -srm", "uptime", "sysctl -n hw.model hw.ncpu",
                            "sysctl -n hw.physmem", "sysctl -n vm.loadavg", "ifconfig -a"}) {
        EXPECT_NE(log.find(ran), std::string::npos) << ran << "\n" << log;
    }
    s->write("q");
    // The session menu again, its status line left as it was: the key help.
    EXPECT_TRUE(s->wait_until(
        [&] { return s->screen_contains("Open shell") && s->screen_contains("Enter Select"); }, 8s))
        << s->screen_text();
    log_out(*s);
}

TEST_F(SessionActions, PowerOffConfirmedRunsShutdownAndDeclinedRunsNothing) {
    use_menu_page(kMenuWithPowerOff);
    auto s = signed_in("Administrator", "rootpw");
    confirm(*s, "Power off", "Power off this machine now?", "n");
    // The status line is left as it was: the key help.
    EXPECT_TRUE(s->wait_until([&] { return s->screen_contains("Enter Select"); }, 8s))
        << s->screen_text();
    EXPECT_EQ(shutdowns(), "") << fake_log();

    confirm(*s, "Power off", "Power off this machine now?", "y");
    ASSERT_TRUE(s->wait_for_text("Power off requested")) << s->screen_text();
    EXPECT_EQ(shutdowns(), "shutdown -p now\n");
    log_out(*s);
}

TEST_F(SessionActions, FailingShutdownShowsWhy) {
    extra_env_["TARNWICK_FAKE_SHUTDOWN_STATUS"] = "1";
    use_menu_page(kMenuWithPowerOff);
    auto s = signed_in("Administrator", "rootpw");
    confirm(*s, "Power off", "Power off this machine now?", "y");
    ASSERT_TRUE(s->wait_for_text("Shutdown failed: exit status 1")) << s->screen_text();
    EXPECT_FALSE(s->screen_contains("requested")) << s->screen_text();
    EXPECT_EQ(shutdowns(), "shutdown -p now\n");
    EXPECT_NE(console_log().find("shutdown -p now failed: exit status 1"), std::string::npos)
        << console_log();
    // Declined afterwards: nothing runs and the status line keeps its text.
    confirm(*s, "Power off", "Power off this machine now?", "n");
    // The menu is back once its entries show; the status line below them may
    // still be on its way.
    EXPECT_TRUE(s->wait_for_text("Shutdown failed: exit status 1")) << s->screen_text();
    EXPECT_EQ(shutdowns(), "shutdown -p now\n");
    log_out(*s);
}

TEST_F(SessionActions, AdministratorRebootsFromThePowerMenu) {
    auto s = signed_in("Administrator", "rootpw");
    ASSERT_TRUE(click_text(*s, "Power & log out"));
    ASSERT_TRUE(s->wait_for_text("Reboot", 8s)) << s->screen_text();
    // Tab moves to Yes, Enter answers.
    confirm(*s, "Reboot", "Reboot this machine now?", "\t\r");
    // The session menu, not the power menu, with the status.
    ASSERT_TRUE(s->wait_for_text("Reboot requested")) << s->screen_text();
    EXPECT_TRUE(s->screen_contains("Open shell")) << s->screen_text();
    EXPECT_EQ(shutdowns(), "shutdown -r now\n");
    log_out(*s);
}

TEST_F(SessionActions, NonAdministratorIsRefusedPowerEntriesOfferedByPages) {
    use_menu_page(kMenuOfferingPowerOffToAll);
    use_page("power-menu.twml", kPowerMenuOfferingRebootToAll);
    auto s = start();
    sign_in(*s, "alice", "alicepw");
    ASSERT_TRUE(s->wait_for_text("Power & log out", 8s)) << s->screen_text();
    const std::string denied = "Not authorized to change network configuration";

    ASSERT_TRUE(click_text(*s, "Power off"));
    ASSERT_TRUE(s->wait_for_text(denied, 8s)) << s->screen_text();
    EXPECT_FALSE(s->screen_contains("this machine now?")) << s->screen_text();

    ASSERT_TRUE(click_text(*s, "Power & log out"));
    ASSERT_TRUE(s->wait_for_text("Reboot", 8s)) << s->screen_text();
    ASSERT_TRUE(click_text(*s, "Reboot"));
    // The session menu again, with the refusal; no question was asked.
    ASSERT_TRUE(s->wait_until(
        [&] { return s->screen_contains("Power off") && s->screen_contains(denied); }, 8s))
        << s->screen_text();
    EXPECT_FALSE(s->screen_contains("this machine now?")) << s->screen_text();
    EXPECT_EQ(shutdowns(), "") << fake_log();
    log_out(*s);
}

TEST_F(SessionActions, NonAdministratorSeesNoPowerEntries) {
    auto s = signed_in("alice", "alicepw");
    ASSERT_TRUE(click_text(*s, "Power & log out"));
    ASSERT_TRUE(s->wait_for_text("Log out", 8s)) << s->screen_text();
    ASSERT_TRUE(s->wait_for_text("Back")) << s->screen_text();
    EXPECT_FALSE(s->screen_contains("Reboot")) << s->screen_text();
    EXPECT_FALSE(s->screen_contains("Power off")) << s->screen_text();
    ASSERT_TRUE(click_text(*s, "Back"));
    ASSERT_TRUE(s->wait_for_text("Open shell", 8s)) << s->screen_text();
    log_out(*s);
}

}  // namespace
