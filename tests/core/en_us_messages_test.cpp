#include "core/kv_file.h"
#include "core/read_file.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

// The shipped en-US message file is the reference every screen relies on:
// these checks make a dropped, renamed, repeated or reworded key fail here.

namespace tarnwick {
namespace {

const std::string kEnUsFile = std::string(TARNWICK_SOURCE_DIR) + "/res/locales/en-US/tarnwick.ftl";

struct KeyGroup {
    std::string prefix;
    std::vector<std::string> keys;  // in file order
};

const std::vector<KeyGroup>& expected_groups() {
    static const std::vector<KeyGroup> groups = {
        {"locale", {"locale.native_name"}},
        {"brand", {"brand.name", "brand.login"}},
        {"menu",
         {"menu.main.title", "menu.main", "menu.list.title", "menu.power", "menu.power.title",
          "menu.network", "menu.network.title", "menu.network.edit", "menu.help"}},
        {"panel", {"panel.status"}},
        {"action",
         {"action.shell", "action.sysinfo", "action.network", "action.power", "action.power_off",
          "action.reboot", "action.logout", "action.back", "action.view", "action.edit",
          "action.make_static", "action.ipv4_dhcp", "action.ipv4_static", "action.ipv6_slaac",
          "action.ipv6_static", "action.apply", "action.save"}},
        {"form",
         {"form.mode.view",
          "form.mode.edit",
          "form.editing",
          "form.edit_cancelled",
          "form.help.view",
          "form.help.edit",
          "form.help.view_only",
          "form.footer",
          "form.section.identity",
          "form.section.ipv4",
          "form.section.ipv6",
          "form.section.host",
          "form.field.interface",
          "form.field.status",
          "form.field.mac",
          "form.field.ipv4_mode",
          "form.field.ipv4_address",
          "form.field.ipv4_netmask",
          "form.field.ipv4_gateway",
          "form.field.ipv6_mode",
          "form.field.ipv6_address",
          "form.field.ipv6_prefix",
          "form.field.ipv6_gateway",
          "form.field.live_addrs",
          "form.field.dns",
          "form.field.hostname",
          "form.applied",
          "form.apply_failed",
          "form.apply_denied"}},
        {"login",
         {"login.title",
          "login.user",
          "login.password",
          "login.language",
          "login.users_list",
          "login.user_other",
          "login.user_type",
          "login.languages_list",
          "login.attempts",
          "login.help",
          "login.sign_in_prompt",
          "login.panel_hint",
          "login.welcome.title",
          "login.welcome.body",
          "login.section.credentials",
          "login.section.locale",
          "login.auth_failed",
          "login.error.title",
          "login.error.ok",
          "login.error.dismiss",
          "login.error.attempts_left",
          "login.error.no_attempts",
          "login.error.bad_credentials",
          "login.error.account_denied",
          "login.error.session",
          "login.error.generic",
          "login.error.tried_as",
          "login.error.pam_account",
          "login.error.password_len",
          "login.error.empty_password",
          "login.error.detail_label"}},
        {"diag",
         {"diag.title", "diag.subtitle", "diag.help", "diag.section.meta", "diag.field.path",
          "diag.field.line_count", "diag.field.ring_max"}},
        {"session",
         {"session.welcome", "session.user", "session.help", "session.help_title",
          "session.unknown_action", "session.shell_error", "session.shell_return",
          "session.shutdown_requested", "session.reboot_requested", "session.shutdown_failed",
          "session.no_action"}},
        {"confirm",
         {"confirm.title", "confirm.yes", "confirm.no", "confirm.power_off", "confirm.reboot",
          "confirm.make_static", "confirm.iface_down_last"}},
        {"prompt",
         {"prompt.ok_cancel", "prompt.ipv4_address", "prompt.ipv4_netmask", "prompt.ipv4_gateway",
          "prompt.ipv6_address", "prompt.ipv6_prefix", "prompt.ipv6_gateway"}},
        {"info", {"info.system",           "info.network",
                  "info.hostname",         "info.user",
                  "info.pam_user",         "info.tty",
                  "info.locale",           "info.os",
                  "info.os_version",       "info.arch",
                  "info.kernel",           "info.addresses",
                  "info.no_addresses",     "info.uptime",
                  "info.load_avg",         "info.section.hardware",
                  "info.cpu_model",        "info.cpu_cores",
                  "info.memory",           "info.section.host",
                  "info.section.platform", "info.section.session",
                  "info.section.addresses"}},
        {"result",
         {"result.title", "result.success", "result.summary", "result.no_details",
          "result.section.outcome", "result.section.details"}},
        {"net",
         {"net.section.host",
          "net.section.general",
          "net.section.interfaces",
          "net.section.gateways",
          "net.section.routes_v4",
          "net.section.routes_v6",
          "net.section.dns",
          "net.field.default_v4",
          "net.field.default_v6",
          "net.field.search",
          "net.field.iface_count",
          "net.field.active",
          "net.field.ipv6_status",
          "net.tab.ipv4",
          "net.tab.ipv6",
          "net.addr.global",
          "net.addr.ula",
          "net.addr.link_local",
          "net.ipv6.status.slaac_active",
          "net.ipv6.status.slaac_waiting",
          "net.ipv6.status.static",
          "net.ipv6.status.disabled",
          "net.help.view",
          "net.help.edit",
          "net.none",
          "net.no_addresses",
          "net.no_nameservers",
          "net.mode.dhcp",
          "net.mode.static",
          "net.mode.slaac",
          "net.mode.disabled",
          "net.mode.unknown",
          "net.link_local",
          "net.more_routes"}},
    };
    return groups;
}

std::vector<std::string> file_lines() {
    const auto text = read_text_file(kEnUsFile, kMaxConfigFileBytes);
    EXPECT_TRUE(text.has_value()) << kEnUsFile;
    std::vector<std::string> lines;
    if (!text) return lines;
    std::size_t start = 0;
    while (start < text->size()) {
        const std::size_t nl = text->find('\n', start);
        const std::size_t end = nl == std::string::npos ? text->size() : nl;
        lines.push_back(text->substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

TEST(EnUsMessages, EveryKeyOnceGroupedByPrefixInOrder) {
    std::vector<std::string> expected;
    for (const auto& group : expected_groups()) {
        for (const auto& key : group.keys) {
            EXPECT_EQ(key.rfind(group.prefix + ".", 0), 0u) << key;
            expected.push_back(key);
        }
    }
    EXPECT_EQ(expected.size(), 185u);
    EXPECT_EQ(std::set<std::string>(expected.begin(), expected.end()).size(), expected.size());

    // Every non-comment line is one "key = value" entry, in the expected order.
    std::vector<std::string> in_file;
    for (const auto& line : file_lines()) {
        if (line.empty() || line.front() == '#') continue;
        const std::size_t sep = line.find(" = ");
        ASSERT_NE(sep, std::string::npos) << "not a message line: " << line;
        in_file.push_back(line.substr(0, sep));
    }
    EXPECT_EQ(in_file, expected);

    const auto messages = read_kv_file(kEnUsFile);
    ASSERT_TRUE(messages.has_value());
    EXPECT_EQ(messages->size(), 185u);
}

TEST(EnUsMessages, ValuesArePlainNonEmptyText) {
    const auto messages = read_kv_file(kEnUsFile);
    ASSERT_TRUE(messages.has_value());
    for (const auto& line : file_lines()) {
        if (line.empty() || line.front() == '#') continue;
        const std::string value = line.substr(line.find(" = ") + 3);
        EXPECT_FALSE(value.empty()) << line;
        EXPECT_NE(value.front(), '"') << line;
        EXPECT_NE(value.back(), '"') << line;
        EXPECT_NE(value.back(), ' ') << line;
        EXPECT_EQ(line.find('\r'), std::string::npos) << line;
    }
}

TEST(EnUsMessages, QuotedTexts) {
    const auto messages = read_kv_file(kEnUsFile);
    ASSERT_TRUE(messages.has_value());
    const struct {
        const char* key;
        const char* text;
    } cases[] = {
        {"locale.native_name", "English"},
        {"brand.name", "Ostravel"},
        {"brand.login", "Login"},
        {"menu.main.title", "Console"},
        {"menu.list.title", "Menu"},
        {"menu.power.title", "Power & log out"},
        {"menu.network.title", "Network"},
        {"menu.help", "↑↓ Move   Enter Select   Esc/q Back   ? Help   F1 Diagnostics"},
        {"form.editing", "Editing — F2 save, Esc cancel"},
        {"form.footer", "Ostravel · Network configuration"},
        {"form.apply_failed", "Apply failed"},
        {"form.apply_denied", "Not authorized to change network configuration"},
        {"login.title", "Login"},
        {"login.help",
         "↑ user list  ↓/Space pick  type password  Tab  Enter login  F1 diagnostics"},
        {"login.welcome.title", "Welcome to Ostravel"},
        {"login.welcome.body",
         "Sign in with a console account on the right. Operators can customize this panel via "
         "/usr/local/etc/tarnwick/welcome.md"},
        {"login.auth_failed", "Authentication failed"},
        {"login.error.title", "Sign-in failed"},
        {"login.error.ok", "OK"},
        {"login.error.dismiss", "Enter or Esc to continue"},
        {"login.error.attempts_left", "Attempts remaining: {n}"},
        {"login.error.no_attempts", "No attempts remaining"},
        {"login.error.bad_credentials", "The username or password is incorrect."},
        {"login.error.account_denied", "This account is not allowed to sign in from the console."},
        {"login.error.session",
         "The session could not be started. Contact a system administrator."},
        {"login.error.generic", "Sign-in could not be completed."},
        {"login.error.tried_as", "Tried as: {user}"},
        {"login.error.pam_account", "System account: {user}"},
        {"login.error.password_len", "Password length received: {n} character(s)"},
        {"login.error.empty_password", "No password was entered (length 0)."},
        {"login.error.detail_label", "Technical detail:"},
        {"diag.title", "Console diagnostics"},
        {"diag.subtitle", "Last stderr / console messages (no login required)"},
        {"diag.help", "↑↓ scroll   PgUp/PgDn   End newest   Esc/q/F1 close"},
        {"session.welcome", "Welcome, {user}"},
        {"session.user", "Signed in as {user}"},
        {"session.help", "↑↓ Move   Enter Select   Esc/q Log out   ? Help   F1 Diagnostics"},
        {"session.help_title", "Help"},
        {"session.unknown_action", "Unknown action: {id}"},
        {"session.shell_error", "Shell error: {error}"},
        {"session.shutdown_failed", "Shutdown failed: {error}"},
        {"confirm.title", "Confirm"},
        {"confirm.make_static",
         "Save the live addresses of {interface} as its static configuration?"},
        {"confirm.iface_down_last",
         "{interface} carries the last default route. Taking it down "
         "may cut off remote access. Continue?"},
        {"result.title", "Result"},
        {"net.more_routes", "… {n} more"},
        {"action.power_off", "Power off"},
        {"info.memory", "System memory"},
        {"net.mode.dhcp", "DHCP"},
    };
    for (const auto& c : cases) {
        const auto it = messages->find(c.key);
        ASSERT_NE(it, messages->end()) << c.key;
        EXPECT_EQ(it->second, c.text) << c.key;
    }
}

}  // namespace
}  // namespace tarnwick
