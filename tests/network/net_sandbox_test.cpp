// The public entries with their fixed paths (/etc/rc.conf, its backup,
// /etc/resolv.conf, /etc/rc.d/netif) and real commands, run by the probe in
// private mount and network namespaces with an overlay on /etc and the fake
// FreeBSD commands (tests/network/net-sandbox).

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/network/network_state.h"
#include "network/net_sandbox.h"
#include "network/overview_dump.h"
#include "network/recorded_router.h"
#include "support/process.h"
#include "support/scratch_dir.h"

namespace tarnwick::app {
namespace {

TEST(NetSandbox, RestartsAnInterface) {
    REQUIRE_NAMESPACES();
    const HostEtc host = host_etc();
    const std::string failed = "service netif restart failed (netif: em0: no such interface); ";
    const std::string cycle =
        "service netif restart em0\nifconfig em0 down\nifconfig em0 up\nnetif start em0\n";
    struct Case {
        const char* name;
        Env env;
        std::vector<std::string> options;
        std::string output;
        std::string log;
    };
    const Env service_fails = {
        {"TARNWICK_FAKE_SERVICE_STATUS", "1"},
        {"TARNWICK_FAKE_SERVICE_STDERR", "  netif: em0: no such interface\n"}};
    auto with = [](Env env, const std::string& key, const std::string& value) {
        env[key] = value;
        return env;
    };
    const Case cases[] = {
        {"service succeeds",
         {},
         {},
         "ok\nservice netif restart em0: ok\n",
         "service netif restart em0\n"},
        {"service fails, the manual cycle succeeds",
         service_fails,
         {},
         "ok\n" + failed + "attempted ifconfig cycle\n",
         cycle},
        {"taking the interface down fails; it is still brought up",
         with(service_fails, "TARNWICK_FAKE_IFCONFIG_FAIL", "em0 down"),
         {},
         "error\n" + failed +
             "ifconfig cycle failed: ifconfig em0 down exited with status 1: ifconfig: ioctl "
             "(SIOCSIFFLAGS): Device not configured\n",
         cycle},
        {"the netif script fails",
         with(service_fails, "TARNWICK_FAKE_NETIF_STATUS", "3"),
         {},
         "error\n" + failed +
             "ifconfig cycle failed: /etc/rc.d/netif start em0 exited with status 3: "
             "/etc/rc.d/netif: WARNING: start em0\n",
         cycle},
        {"no netif script",
         service_fails,
         {"--no-netif"},
         "error\n" + failed +
             "ifconfig cycle failed: could not run /etc/rc.d/netif: No such file or directory (os "
             "error 2)\n",
         "service netif restart em0\nifconfig em0 down\nifconfig em0 up\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox sandbox;
        EXPECT_EQ(sandbox.run({"restart", "em0"}, c.env, c.options), c.output);
        EXPECT_EQ(sandbox.log(), c.log);
    }

    // A service stopped at its time limit counts as failed; so does the
    // netif script of the manual cycle.
    Sandbox hanging;
    EXPECT_EQ(hanging.run({"restart-within", "300", "em0"}, {{"TARNWICK_FAKE_SERVICE_HANG", "30"}}),
              "ok\nservice netif restart failed (service did not finish within 300 ms and was "
              "stopped); attempted ifconfig cycle\n");
    EXPECT_EQ(hanging.log(), cycle);
    Sandbox hanging_script;
    EXPECT_EQ(hanging_script.run({"restart-within", "300", "em0"},
                                 with(service_fails, "TARNWICK_FAKE_NETIF_HANG", "30")),
              "error\n" + failed +
                  "ifconfig cycle failed: /etc/rc.d/netif did not finish within 300 ms and was "
                  "stopped\n");
    EXPECT_EQ(hanging_script.log(), cycle);

    Sandbox no_commands;
    EXPECT_EQ(no_commands.run({"restart", "em0"}, {}, {"--path", no_commands.empty_folder()}),
              "error\nIO: No such file or directory (os error 2)\n");
    expect_host_untouched(host);
}

TEST(NetSandbox, ChangesIpv6Settings) {
    REQUIRE_NAMESPACES();
    const HostEtc host = host_etc();
    const std::string old_text = "hostname=\"fw1\"\nifconfig_em0=\"DHCP\"\n";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string output;
        std::optional<std::string> rc_conf;  // nullopt: left as it was, no backup
        std::string log;
    };
    const Case cases[] = {
        {"SLAAC",
         {"slaac", "em0"},
         "ok\nIPv6 on em0 set to SLAAC (accept_rtadv).\nservice netif restart em0: ok\n",
         old_text + "ifconfig_em0_ipv6=\"inet6 accept_rtadv\"\n",
         "service netif restart em0\n"},
        {"disabled",
         {"disable", "igb1"},
         "ok\nIPv6 on igb1 disabled (ifdisabled).\nservice netif restart igb1: ok\n",
         old_text + "ifconfig_igb1_ipv6=\"inet6 ifdisabled\"\n",
         "service netif restart igb1\n"},
        {"static with a zoned gateway",
         {"static", "em0", "2001:db8::5", "64", "fe80::1%em0"},
         "ok\nIPv6 on em0 set static 2001:db8::5/64.\nservice netif restart em0: ok\n",
         old_text + "ifconfig_em0_ipv6=\"inet6 2001:db8::5 prefixlen 64\"\n"
                    "ipv6_defaultrouter=\"fe80::1%em0\"\n",
         "service netif restart em0\n"},
        {"a name with a dash is written under the key rc.d reads",
         {"slaac", "my-if0"},
         "ok\nIPv6 on my-if0 set to SLAAC (accept_rtadv).\nservice netif restart my-if0: ok\n",
         old_text + "ifconfig_my_if0_ipv6=\"inet6 accept_rtadv\"\n",
         "service netif restart my-if0\n"},
        {"prefix length 0",
         {"static", "em0", "2001:db8::5", "0", ""},
         "error\nprefixlen must be 1-128\n",
         std::nullopt,
         ""},
        {"prefix length 129",
         {"static", "em0", "2001:db8::5", "129", ""},
         "error\nprefixlen must be 1-128\n",
         std::nullopt,
         ""},
        {"a zone that is no interface name",
         {"static", "em0", "2001:db8::5", "64", "fe80::1%em0\"; reboot; \""},
         "error\ninvalid IPv6 address: fe80::1%em0\"; reboot; \"\n",
         std::nullopt,
         ""},
        {"a virtual interface",
         {"slaac", "lo0"},
         "error\nrefusing to configure virtual/loopback interface\n",
         std::nullopt,
         ""},
        {"an invalid name",
         {"disable", "em0.100"},
         "error\ninvalid interface name\n",
         std::nullopt,
         ""},
        {"not root",
         {"--as-nobody", "slaac", "em0"},
         "error\nmust be root to change network config\n",
         std::nullopt,
         ""},
        {"not root comes before the name",
         {"--as-nobody", "slaac", "lo0"},
         "error\nmust be root to change network config\n",
         std::nullopt,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox sandbox;
        sandbox.seed("rc.conf", old_text);
        EXPECT_EQ(sandbox.run(c.args), c.output);
        EXPECT_EQ(sandbox.etc("rc.conf"), c.rc_conf.value_or(old_text));
        EXPECT_EQ(sandbox.has("rc.conf.tarnwick.bak"), c.rc_conf.has_value());
        if (c.rc_conf) {
            EXPECT_EQ(sandbox.etc("rc.conf.tarnwick.bak"), old_text);
        }
        EXPECT_EQ(sandbox.log(), c.log);
    }

    // A failed restart after the rewrite: the file stays rewritten and the
    // page says what failed.
    Sandbox failing;
    failing.seed("rc.conf", old_text);
    EXPECT_EQ(failing.run({"slaac", "em0"}, {{"TARNWICK_FAKE_SERVICE_STATUS", "1"},
                                             {"TARNWICK_FAKE_IFCONFIG_FAIL", "em0 up"}}),
              "error\nservice netif restart failed (); ifconfig cycle failed: ifconfig em0 up "
              "exited with status 1: ifconfig: ioctl (SIOCSIFFLAGS): Device not configured\n");
    EXPECT_EQ(failing.etc("rc.conf"), old_text + "ifconfig_em0_ipv6=\"inet6 accept_rtadv\"\n");
    expect_host_untouched(host);
}

TEST(NetSandbox, WritesRcConfAndItsBackupUnderEtc) {
    REQUIRE_NAMESPACES();
    const HostEtc host = host_etc();
    Sandbox sandbox;
    EXPECT_EQ(sandbox.run({"write", "defaultrouter", "192.0.2.1"}), "ok\nwritten\n");
    EXPECT_EQ(sandbox.etc("rc.conf"), "defaultrouter=\"192.0.2.1\"\n");
    EXPECT_EQ(sandbox.etc("rc.conf.tarnwick.bak"), "");
    EXPECT_EQ(sandbox.run({"write", "defaultrouter", "192.0.2.254", "ifconfig_em0", "DHCP"}),
              "ok\nwritten\n");
    EXPECT_EQ(sandbox.etc("rc.conf"), "defaultrouter=\"192.0.2.254\"\nifconfig_em0=\"DHCP\"\n");
    EXPECT_EQ(sandbox.etc("rc.conf.tarnwick.bak"), "defaultrouter=\"192.0.2.1\"\n");
    EXPECT_EQ(sandbox.run({"write", "defaultrouter", "$(reboot)"}),
              "error\ninvalid value for defaultrouter\n");
    EXPECT_EQ(sandbox.etc("rc.conf"), "defaultrouter=\"192.0.2.254\"\nifconfig_em0=\"DHCP\"\n");
    EXPECT_EQ(sandbox.log(), "");
    expect_host_untouched(host);
}

TEST(NetSandbox, GathersTheOverviewFromTheSystemFiles) {
    REQUIRE_NAMESPACES();
    const NetworkSources expected = recorded_router();

    Sandbox sandbox;
    sandbox.seed("rc.conf", *expected.rc_conf);
    sandbox.seed("resolv.conf", *expected.resolv_conf);
    const Env env = {{"TARNWICK_FAKE_IFCONFIG", "freebsd14-router"},
                     {"TARNWICK_FAKE_NETSTAT", "freebsd14-router"}};
    EXPECT_EQ(sandbox.run({"overview"}, env),
              "ok\n" + test::dump_overview(build_network_overview(expected)));
    EXPECT_EQ(sandbox.log(), "hostname\nifconfig -a\nnetstat -rnW\n");
}

}  // namespace
}  // namespace tarnwick::app
