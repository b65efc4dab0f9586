// The network panel in the whole console: the real binary in the sandbox
// (private mount and network namespaces, /etc under an overlay, fake
// ifconfig, netstat, service, hostname and netif) on a pseudo-terminal,
// signed in through pam_wrapper.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "session/console_sandbox.h"
#include "support/terminal_keys.h"

namespace fs = std::filesystem;
using tarnwick::test::ConsoleSession;
using tarnwick::test::PtySession;
using namespace tarnwick::test;  // keys and mouse reports
using namespace std::chrono_literals;

namespace {

const fs::path kFixtures = fs::path(TARNWICK_FIXTURES_DIR) / "freebsd";

// The recorded router: its rc.conf and resolv.conf under the sandbox's /etc,
// its ifconfig and netstat listings from the fakes.
class NetworkSession : public ConsoleSession {
protected:
    void SetUp() override {
        ConsoleSession::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        fs::create_directories(state_ / "etc");
        rc_conf_ = tarnwick::test::read_file((kFixtures / "rc.conf/freebsd14-router").string());
        std::ofstream(state_ / "etc/rc.conf") << rc_conf_;
        fs::copy_file(kFixtures / "resolv.conf/static", state_ / "etc/resolv.conf");
        extra_env_["TARNWICK_FAKE_IFCONFIG"] = "freebsd14-router";
        extra_env_["TARNWICK_FAKE_NETSTAT"] = "freebsd14-router";
    }

    // Signs in and chooses Network configuration in the session menu.
    void sign_in_and_choose_network(const std::string& user, const std::string& password,
                                    std::vector<std::string> sandbox_args = {}) {
        s_ = start(std::move(sandbox_args));
        ASSERT_TRUE(s_->started()) << s_->error();
        ASSERT_TRUE(s_->wait_for_text("Password")) << s_->screen_text();
        s_->write(user + "\r" + password + "\r");
        ASSERT_TRUE(s_->wait_for_text("Network configuration", 10s)) << s_->screen_text();
        // Open shell, System information, Network configuration.
        s_->write(std::string(kDown) + std::string(kDown) + "\r");
    }

    void open_panel(const std::string& user, const std::string& password,
                    std::vector<std::string> sandbox_args = {}) {
        sign_in_and_choose_network(user, password, std::move(sandbox_args));
        ASSERT_TRUE(s_->wait_for_text("Details: ", 10s)) << s_->screen_text();
    }

    // From the session menu.
    void log_out() {
        s_->write(std::string(kDown) + std::string(kDown) + std::string(kDown) + "\r");
        expect_text("Log out");
        s_->write("\r");
        EXPECT_EQ(s_->wait_exit(10s), 0) << s_->screen_text();
    }

    void expect_text(std::string_view text) {
        EXPECT_TRUE(s_->wait_for_text(text, 10s)) << text << "\n" << s_->screen_text();
    }
    void type_until(std::string_view bytes, std::string_view text) {
        s_->write(bytes);
        expect_text(text);
    }

    // Leaves the result page, the panel and the session.
    void log_out_from_result() {
        type_until("\r", "Details: ");
        leave_panel_and_log_out();
    }
    void leave_panel_and_log_out() {
        type_until("q", "Power & log out");
        log_out();
    }

    // The screen's words in reading order, one blank between each two, the
    // frames' bars left out: a value wrapped onto the next line reads on.
    std::string screen_words() const {
        std::string words;
        for (const std::string& row : s_->rows()) {
            std::istringstream in(row);
            for (std::string word; in >> word;) {
                if (word == "│") continue;
                if (!words.empty()) words += ' ';
                words += word;
            }
        }
        return words;
    }
    void expect_words(std::string_view text) {
        EXPECT_TRUE(
            s_->wait_until([&] { return screen_words().find(text) != std::string::npos; }, 10s))
            << text << "\n"
            << s_->screen_text();
    }

    std::string etc(const std::string& name) const {
        return tarnwick::test::read_file((state_ / "etc" / name).string());
    }
    bool has_etc(const std::string& name) const { return fs::exists(state_ / "etc" / name); }
    std::string commands() const {
        return tarnwick::test::read_file((state_ / "fake-commands.log").string());
    }
    // The router's rc.conf with one line replaced.
    std::string rc_with(std::string_view old_line, std::string_view new_line) const {
        std::string text = rc_conf_;
        const auto at = text.find(old_line);
        EXPECT_NE(at, std::string::npos) << old_line;
        return text.replace(at, old_line.size(), new_line);
    }

    std::string rc_conf_;
    std::unique_ptr<PtySession> s_;
};

TEST_F(NetworkSession, AdministratorAppliesAStaticIpv4Address) {
    open_panel("Administrator", "rootpw");
    expect_text("Details: em0");
    type_until("e", "[✏ Edit]");
    type_until(kTab, "► [ 1. IPv4 ] ◄");
    type_until(kTab, "◄ Static ►");
    type_until(kTab, "192.0.2.10█");
    s_->write(std::string(kBackspace) + std::string(kBackspace));
    type_until("20", "192.0.2.20█");
    s_->write(kF2);
    // The result page: the outcome and one detail per step line.
    expect_text("Configuration applied");
    expect_text("IPv4 on em0 set static 192.0.2.20/255.255.255.0.");
    expect_text("service netif restart em0: ok");

    EXPECT_EQ(etc("rc.conf"), rc_with("ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"",
                                      "ifconfig_em0=\"inet 192.0.2.20 netmask 255.255.255.0\""));
    EXPECT_EQ(etc("rc.conf.tarnwick.bak"), rc_conf_);
    EXPECT_NE(commands().find("\nservice netif restart em0\n"), std::string::npos) << commands();

    // Back on the panel (read afresh), then the menu shows the status line.
    type_until("\r", "Details: em0");
    type_until("q", "Changes applied");
    log_out();
}

TEST_F(NetworkSession, Ipv6SlaacAndARefusedValue) {
    open_panel("Administrator", "rootpw");
    type_until("e", "[✏ Edit]");
    type_until("2", "► [ 2. IPv6 ] ◄");
    type_until(kTab, "◄ Static ►");  // em0's IPv6 is static in rc.conf
    type_until("\x1b[D", "◄ SLAAC ►");
    s_->write(kF2);
    expect_text("IPv6 on em0 set to SLAAC (accept_rtadv).");
    expect_text("Configuration applied");
    const std::string slaac = rc_with("ifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"",
                                      "ifconfig_em0_ipv6=\"inet6 accept_rtadv\"");
    EXPECT_EQ(etc("rc.conf"), slaac);  // the IPv4 line is as it was

    // A mask with a hole is refused before anything is written.
    type_until("\r", "Details: em0");
    type_until("e", "[✏ Edit]");
    type_until(kTab, "► [ 1. IPv4 ] ◄");
    type_until(kTab, "◄ Static ►");
    type_until(std::string(kTab) + std::string(kTab), "255.255.255.0█");
    for (int i = 0; i < 9; ++i) s_->write(kBackspace);
    type_until("0.255.0", "255.0.255.0█");
    s_->write(kF2);
    expect_text("invalid IPv4 address: 255.0.255.0");
    expect_text("Apply failed");
    EXPECT_EQ(etc("rc.conf"), slaac);
    log_out_from_result();
}

TEST_F(NetworkSession, WithoutAResultPageTheBuiltInViewShowsTheOutcome) {
    fs::remove(config_ / "templates/pages/result.twml");
    open_panel("Administrator", "rootpw", {"--hide-source-templates"});
    type_until("e", "[✏ Edit]");
    type_until(kTab, "► [ 1. IPv4 ] ◄");
    type_until(kTab, "◄ Static ►");
    type_until(kTab, "192.0.2.10█");
    type_until("x", "192.0.2.10x█");
    s_->write(kF2);
    // The built-in view labels each detail by its step.
    expect_text("step_0");
    expect_text("invalid IPv4 address: 192.0.2.10x");
    expect_text("Apply failed");
    EXPECT_FALSE(has_etc("rc.conf.tarnwick.bak"));
    log_out_from_result();
}

TEST_F(NetworkSession, ARefusalShowsItsWholeReasonOnEitherResultPage) {
    std::ofstream(state_ / "etc/rc.conf", std::ios::app) << "readonly ifconfig_em0\n";
    const std::string refused = etc("rc.conf");
    open_panel("Administrator", "rootpw", {"--hide-source-templates"});
    // First the page, then (without it) the built-in view: the reason is
    // longer than the value column and wraps onto the next line.
    for (const bool page : {true, false}) {
        if (!page) fs::remove(config_ / "templates/pages/result.twml");
        expect_text("Details: em0");
        type_until("e", "[✏ Edit]");
        s_->write(kF2);
        expect_text("Apply failed");
        expect_words("rc.conf line 20 is not a setting (\"readonly ifconfig_em0\"); not changed");
        EXPECT_EQ(s_->screen_contains("step_0"), !page) << s_->screen_text();
        EXPECT_EQ(etc("rc.conf"), refused);
        EXPECT_FALSE(has_etc("rc.conf.tarnwick.bak"));
        type_until("\r", "Details: ");
    }
    leave_panel_and_log_out();
}

TEST_F(NetworkSession, FailingRestartFallsBackToTheManualCycle) {
    extra_env_["TARNWICK_FAKE_SERVICE_STATUS"] = "1";
    extra_env_["TARNWICK_FAKE_SERVICE_STDERR"] = "netif: busy";
    open_panel("Administrator", "rootpw");
    type_until(std::string(kDown) + std::string(kDown) + std::string(kDown), "Details: vtnet0");
    type_until("e", "[✏ Edit]");
    s_->write(kF2);
    expect_words("service netif restart failed (netif: busy); attempted ifconfig cycle");
    expect_text("Configuration applied");
    expect_text("IPv4 on vtnet0 set to DHCP.");
    const std::string log = commands();
    EXPECT_NE(log.find("service netif restart vtnet0\nifconfig vtnet0 down\nifconfig vtnet0 up\n"
                       "netif start vtnet0\n"),
              std::string::npos)
        << log;
    log_out_from_result();
}

TEST_F(NetworkSession, FreezeAsksFirst) {
    open_panel("Administrator", "rootpw");
    type_until(std::string(kDown) + std::string(kDown) + std::string(kDown), "Details: vtnet0");
    type_until("m", "Save the live addresses of vtnet0 as its static");
    // No: the panel again, read afresh, still on vtnet0, nothing written.
    type_until("n", "Details: vtnet0");
    expect_text("❯ vtnet0");
    EXPECT_FALSE(has_etc("rc.conf.tarnwick.bak"));
    // So the next m, y freezes vtnet0, not the first interface (em0, which
    // carries the default route).
    type_until("m", "Save the live addresses of vtnet0 as its static");
    s_->write("y");
    expect_text("Froze live config as static on vtnet0:");
    EXPECT_NE(commands().find("\nservice netif restart vtnet0\n"), std::string::npos) << commands();
    EXPECT_EQ(commands().find("restart em0"), std::string::npos) << commands();
    expect_text("IPv4 10.0.2.15 netmask 255.255.255.0");
    expect_text("IPv6 2001:db8:2:0:5a9c:fcff:fe0d:417e/64");
    const std::string rc = etc("rc.conf");
    EXPECT_NE(rc.find("ifconfig_vtnet0=\"inet 10.0.2.15 netmask 255.255.255.0\"\n"),
              std::string::npos)
        << rc;
    EXPECT_NE(rc.find("ifconfig_vtnet0_ipv6=\"inet6 2001:db8:2:0:5a9c:fcff:fe0d:417e prefixlen "
                      "64\"\n"),
              std::string::npos)
        << rc;
    type_until("\r", "Details: vtnet0");
    type_until("q", "Froze live config as static on vtnet0:");  // the menu's status line
    log_out();
}

TEST_F(NetworkSession, EveryReturnComesBackToTheChosenInterface) {
    // The listing is a file of the test's, so an interface can vanish
    // between two showings of the panel.
    const fs::path listing = state_ / "ifconfig-listing";
    const std::string recorded =
        tarnwick::test::read_file((kFixtures / "ifconfig/freebsd14-router").string());
    std::ofstream(listing) << recorded;
    extra_env_["TARNWICK_FAKE_IFCONFIG"] = listing.string();
    open_panel("Administrator", "rootpw");
    const std::string down3 = std::string(kDown) + std::string(kDown) + std::string(kDown);
    const std::string edit_apply = "e" + std::string(kF2);
    struct Case {
        const char* what;
        std::string name;
        // Keys and what they bring up; the last step returns to the panel.
        std::vector<std::pair<std::string, std::string>> steps;
    };
    const Case cases[] = {
        {"an apply and its result page",
         "vtnet0",
         {{down3, "Details: vtnet0"},
          {edit_apply, "IPv4 on vtnet0 set to DHCP."},
          {"\r", "Details: vtnet0"}}},
        {"an apply refused before anything is written",
         "igb2",
         {{std::string(kUp), "Details: igb2"},
          {edit_apply, "unknown IPv4 mode: "},
          {"\r", "Details: igb2"}}},
        {"a declined freeze", "igb2", {{"m", "Save the live addresses of igb2 as"}, {"n", "❯"}}},
        {"an accepted freeze that fails",
         "igb2",
         {{"m", "Save the live addresses of igb2 as"},
          {"y", "no non-link-local addresses to freeze as static"},
          {"\r", "Details: igb2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& [keys, text] : c.steps) type_until(keys, text);
        expect_text("Details: " + c.name);
        expect_text("❯ " + c.name);
    }

    // An interface that has gone by the next showing: the first one, as
    // when the panel opens.
    type_until("m", "Save the live addresses of igb2");
    const auto igb2 = recorded.find("\nigb2:");
    const auto next = recorded.find("\nvtnet0:");
    ASSERT_LT(igb2, next);
    std::ofstream(listing) << recorded.substr(0, igb2) + recorded.substr(next);
    type_until("n", "Details: em0");
    expect_text("❯ em0");
    EXPECT_FALSE(s_->screen_contains("igb2"));
    leave_panel_and_log_out();
}

TEST_F(NetworkSession, TakingDownTheLastRoutedInterfaceAsks) {
    open_panel("Administrator", "rootpw");
    type_until("e", "[✏ Edit]");
    type_until(" ", "[ ] Disabled");
    s_->write(kF2);
    expect_text("em0 carries the last default route");
    type_until("n", "Details: em0");
    EXPECT_FALSE(has_etc("rc.conf.tarnwick.bak"));
    EXPECT_EQ(commands().find("ifconfig em0 down"), std::string::npos);

    type_until("e", "[✏ Edit]");
    type_until(" ", "[ ] Disabled");
    s_->write(kF2);
    type_until("y", "Interface em0 set down.");
    EXPECT_NE(commands().find("\nifconfig em0 down\n"), std::string::npos) << commands();
    log_out_from_result();
}

TEST_F(NetworkSession, UserGetsTheViewOnlyPanel) {
    open_panel("alice", "alicepw");
    expect_text("View only");
    s_->write("e");
    s_->write("m");
    type_until(kDown, "Details: igb1");
    EXPECT_FALSE(s_->screen_contains("[✏ Edit]"));
    EXPECT_FALSE(has_etc("rc.conf.tarnwick.bak"));
    type_until(kEsc, "Power & log out");
    log_out();
}

TEST_F(NetworkSession, OnlyLoopbackMeansNoPanel) {
    const fs::path listing = state_ / "ifconfig-loopback";
    std::ofstream(listing) << "lo0: flags=1008049<UP,LOOPBACK,RUNNING,MULTICAST,LOWER_UP> metric 0 "
                              "mtu 16384\n\tinet 127.0.0.1 netmask 0xff000000\n"
                              "bridge0: flags=1008843<UP,BROADCAST,RUNNING> metric 0 mtu 1500\n";
    extra_env_["TARNWICK_FAKE_IFCONFIG"] = listing.string();
    sign_in_and_choose_network("Administrator", "rootpw");
    expect_text("No network interfaces found");
    EXPECT_FALSE(s_->screen_contains("Details: "));
    log_out();
}

}  // namespace
