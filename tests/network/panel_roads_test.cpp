// The network panel's apply and freeze roads, run by the probe in private
// mount and network namespaces on a recorded router: the host's /etc under
// an overlay, the fake FreeBSD commands on PATH.

#include "app/network/panel_roads.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/network/network_state.h"
#include "network/net_sandbox.h"
#include "network/recorded_router.h"

namespace tarnwick::app {
namespace {

const std::string kRouterRc = *recorded_router().rc_conf;
const Env kRouter = {{"TARNWICK_FAKE_IFCONFIG", "freebsd14-router"},
                     {"TARNWICK_FAKE_NETSTAT", "freebsd14-router"}};
// What gathering the overview runs.
const std::string kGather = "hostname\nifconfig -a\nnetstat -rnW\n";

// The text with one line replaced.
std::string replaced(std::string text, std::string_view old_line, std::string_view new_line) {
    const auto at = text.find(old_line);
    EXPECT_NE(at, std::string::npos) << old_line;
    return text.replace(at, old_line.size(), new_line);
}

std::string router_rc_with(std::string_view old_line, std::string_view new_line) {
    return replaced(kRouterRc, old_line, new_line);
}

Env with(Env env, const Env& more) {
    for (const auto& [key, value] : more) env[key] = value;
    return env;
}

struct RoadCase {
    const char* name;
    std::vector<std::string> args;  // probe arguments
    Env env;
    std::string output;                  // end and question, title, status line, body
    std::optional<std::string> rc_conf;  // nullopt: left as it was, no backup
    std::string log;                     // after gathering
};

void run_cases(const std::vector<RoadCase>& cases) {
    for (const RoadCase& c : cases) {
        Sandbox sandbox;
        sandbox.seed("rc.conf", kRouterRc);
        EXPECT_EQ(sandbox.run(c.args, with(kRouter, c.env)), c.output) << c.name;
        EXPECT_EQ(sandbox.etc("rc.conf"), c.rc_conf.value_or(kRouterRc)) << c.name;
        EXPECT_EQ(sandbox.has("rc.conf.tarnwick.bak"), c.rc_conf.has_value()) << c.name;
        if (c.rc_conf) {
            EXPECT_EQ(sandbox.etc("rc.conf.tarnwick.bak"), kRouterRc) << c.name;
        }
        EXPECT_EQ(sandbox.log(), c.log) << c.name;
    }
}

std::string failed(std::string body) {
    return "failed asked=0\nApply failed\nApply failed\n" + body + "\n";
}

TEST(PanelRoads, ApplyWritesOnlyTheShownFamily) {
    REQUIRE_NAMESPACES();
    const HostEtc host = host_etc();
    run_cases({
        {"static IPv4, default mask, gateway kept",
         {"apply", "em0", "1", "4", "ipv4_mode=Static", "ipv4_address= 192.0.2.20 ",
          "ipv4_netmask=", "ipv4_gateway=", "ipv6_mode=bogus"},
         {},
         "done asked=0\nChanges applied\nChanges applied\n"
         "IPv4 on em0 set static 192.0.2.20/255.255.255.0.\nservice netif restart em0: ok\n",
         router_rc_with("ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"",
                        "ifconfig_em0=\"inet 192.0.2.20 netmask 255.255.255.0\""),
         kGather + "service netif restart em0\n"},
        {"static IPv4 with a gateway",
         {"apply", "vtnet0", "1", "4", "ipv4_mode=Static", "ipv4_address=10.0.2.20",
          "ipv4_netmask=255.255.255.0", "ipv4_gateway=10.0.2.2"},
         {},
         "done asked=0\nChanges applied\nChanges applied\n"
         "IPv4 on vtnet0 set static 10.0.2.20/255.255.255.0.\n"
         "service netif restart vtnet0: ok\n",
         replaced(router_rc_with("ifconfig_vtnet0=\"SYNCDHCP\"",
                                 "ifconfig_vtnet0=\"inet 10.0.2.20 netmask 255.255.255.0\""),
                  "defaultrouter=\"192.0.2.1\"", "defaultrouter=\"10.0.2.2\""),
         kGather + "service netif restart vtnet0\n"},
        {"DHCP",
         {"apply", "em0", "1", "4", "ipv4_mode=DHCP"},
         {},
         "done asked=0\nChanges applied\nChanges applied\n"
         "IPv4 on em0 set to DHCP.\nservice netif restart em0: ok\n",
         router_rc_with("ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"",
                        "ifconfig_em0=\"DHCP\""),
         kGather + "service netif restart em0\n"},
        {"SLAAC, IPv4 left alone",
         {"apply", "em0", "1", "6", "ipv6_mode=SLAAC", "ipv4_mode=Unknown"},
         {},
         "done asked=0\nChanges applied\nChanges applied\n"
         "IPv6 on em0 set to SLAAC (accept_rtadv).\nservice netif restart em0: ok\n",
         router_rc_with("ifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"",
                        "ifconfig_em0_ipv6=\"inet6 accept_rtadv\""),
         kGather + "service netif restart em0\n"},
        {"static IPv6, an empty prefix is 64",
         {"apply", "igb2", "1", "6", "ipv6_mode=Static", "ipv6_address=2001:db8:5::1",
          "ipv6_prefix=", "ipv6_gateway="},
         {},
         "done asked=0\nChanges applied\nChanges applied\n"
         "IPv6 on igb2 set static 2001:db8:5::1/64.\nservice netif restart igb2: ok\n",
         kRouterRc + "ifconfig_igb2_ipv6=\"inet6 2001:db8:5::1 prefixlen 64\"\n",
         kGather + "service netif restart igb2\n"},
        {"disabled",
         {"apply", "vtnet0", "1", "6", "ipv6_mode=Disabled"},
         {},
         "done asked=0\nChanges applied\nChanges applied\n"
         "IPv6 on vtnet0 disabled (ifdisabled).\nservice netif restart vtnet0: ok\n",
         router_rc_with("ifconfig_vtnet0_ipv6=\"inet6 accept_rtadv\"",
                        "ifconfig_vtnet0_ipv6=\"inet6 ifdisabled\""),
         kGather + "service netif restart vtnet0\n"},
        {"a failing restart falls back to the manual cycle",
         {"apply", "em0", "1", "4", "ipv4_mode=DHCP"},
         {{"TARNWICK_FAKE_SERVICE_STATUS", "1"},
          {"TARNWICK_FAKE_SERVICE_STDERR", "netif: em0: busy"}},
         "done asked=0\nChanges applied\nChanges applied\n"
         "IPv4 on em0 set to DHCP.\n"
         "service netif restart failed (netif: em0: busy); attempted ifconfig cycle\n",
         router_rc_with("ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"",
                        "ifconfig_em0=\"DHCP\""),
         kGather + "service netif restart em0\nifconfig em0 down\nifconfig em0 up\n"
                   "netif start em0\n"},
    });
    expect_host_untouched(host);
}

TEST(PanelRoads, EveryCheckRunsBeforeAnythingIsWritten) {
    REQUIRE_NAMESPACES();
    const HostEtc host = host_etc();
    const auto refused = [](const char* name, std::vector<std::string> args, std::string error) {
        return RoadCase{name, std::move(args), {}, failed(std::move(error)), std::nullopt, kGather};
    };
    run_cases({
        refused("the mode word from an unset rc.conf value",
                {"apply", "igb1", "1", "4", "ipv4_mode=Unknown"}, "unknown IPv4 mode: Unknown"),
        refused("no mode", {"apply", "igb1", "1", "4"}, "unknown IPv4 mode: "),
        refused("modes are compared exactly", {"apply", "em0", "1", "4", "ipv4_mode=dhcp"},
                "unknown IPv4 mode: dhcp"),
        refused("no address", {"apply", "em0", "1", "4", "ipv4_mode=Static", "ipv4_address= "},
                "IPv4 address required for Static mode"),
        refused("bad address",
                {"apply", "em0", "1", "4", "ipv4_mode=Static", "ipv4_address=192.0.2.300"},
                "invalid IPv4 address: 192.0.2.300"),
        refused("mask with a hole",
                {"apply", "em0", "1", "4", "ipv4_mode=Static", "ipv4_address=192.0.2.20",
                 "ipv4_netmask=255.0.255.0"},
                "invalid IPv4 address: 255.0.255.0"),
        refused("bad gateway",
                {"apply", "em0", "1", "4", "ipv4_mode=Static", "ipv4_address=192.0.2.20",
                 "ipv4_gateway=router"},
                "invalid IPv4 address: router"),
        refused("virtual interface", {"apply", "bridge0", "1", "4", "ipv4_mode=DHCP"},
                "refusing to configure virtual/loopback interface"),
        refused("unknown IPv6 mode", {"apply", "em0", "1", "6", "ipv6_mode=auto"},
                "unknown IPv6 mode: auto"),
        refused("no IPv6 address", {"apply", "em0", "1", "6", "ipv6_mode=Static"},
                "IPv6 address required for Static mode"),
        refused("prefix above 128",
                {"apply", "em0", "1", "6", "ipv6_mode=Static", "ipv6_address=2001:db8::1",
                 "ipv6_prefix=300"},
                "prefixlen must be 1-128"),
        refused("prefix not a number",
                {"apply", "em0", "1", "6", "ipv6_mode=Static", "ipv6_address=2001:db8::1",
                 "ipv6_prefix=abc"},
                "prefixlen must be 1-128"),
        refused("prefix 0",
                {"apply", "em0", "1", "6", "ipv6_mode=Static", "ipv6_address=2001:db8::1",
                 "ipv6_prefix=0"},
                "prefixlen must be 1-128"),
        refused(
            "the address is checked before the prefix",
            {"apply", "em0", "1", "6", "ipv6_mode=Static", "ipv6_address=nope", "ipv6_prefix=abc"},
            "invalid IPv6 address: nope"),
        // (nobody cannot append to the command log, so it stays empty)
        {"not root",
         {"--as-nobody", "apply", "em0", "1", "4", "ipv4_mode=DHCP"},
         {},
         failed("must be root to change network config"),
         std::nullopt,
         ""},
        // A refused step runs no up/down step either.
        refused("refused before the link change",
                {"apply", "igb1", "1", "4", "ipv4_mode=Static", "ipv4_address=x"},
                "invalid IPv4 address: x"),
        {"a user may not apply",
         {"--user", "apply", "em0", "1", "4", "ipv4_mode=DHCP"},
         {},
         "denied asked=0\nNot authorized to change network configuration\n"
         "Not authorized to change network configuration\n"
         "Not authorized to change network configuration\n",
         std::nullopt,
         kGather},
    });
    expect_host_untouched(host);
}

TEST(PanelRoads, UpAndDownAndTheLastDefaultRoute) {
    REQUIRE_NAMESPACES();
    const HostEtc host = host_etc();
    const std::string em0_dhcp = router_rc_with(
        "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"", "ifconfig_em0=\"DHCP\"");
    run_cases({
        {"em0 carries both default routes: asked, no",
         {"--answer", "no", "apply", "em0", "0", "4", "ipv4_mode=DHCP"},
         {},
         "abandoned asked=1\n\n\n\n",
         std::nullopt,
         kGather},
        {"asked, yes",
         {"--answer", "yes", "apply", "em0", "0", "4", "ipv4_mode=DHCP"},
         {},
         "done asked=1\nChanges applied\nChanges applied\n"
         "IPv4 on em0 set to DHCP.\nservice netif restart em0: ok\nInterface em0 set down.\n",
         em0_dhcp,
         kGather + "service netif restart em0\nifconfig em0 down\n"},
        {"no default route through vtnet0: no question",
         {"--answer", "no", "apply", "vtnet0", "0", "6", "ipv6_mode=SLAAC"},
         {},
         "done asked=0\nChanges applied\nChanges applied\n"
         "IPv6 on vtnet0 set to SLAAC (accept_rtadv).\nservice netif restart vtnet0: ok\n"
         "Interface vtnet0 set down.\n",
         kRouterRc,
         kGather + "service netif restart vtnet0\nifconfig vtnet0 down\n"},
        {"bringing a down interface up",
         {"apply", "igb1", "1", "6", "ipv6_mode=Disabled"},
         {},
         "done asked=0\nChanges applied\nChanges applied\n"
         "IPv6 on igb1 disabled (ifdisabled).\nservice netif restart igb1: ok\n"
         "Interface igb1 set up.\n",
         kRouterRc,
         kGather + "service netif restart igb1\nifconfig igb1 up\n"},
        {"a failure after the write lists the steps done",
         {"--answer", "yes", "apply", "em0", "0", "4", "ipv4_mode=DHCP"},
         {{"TARNWICK_FAKE_IFCONFIG_FAIL", "em0 down"}},
         "failed asked=1\nApply failed\nApply failed\n"
         "IPv4 on em0 set to DHCP.\nservice netif restart em0: ok\n"
         "ifconfig em0 down failed: ifconfig: ioctl (SIOCSIFFLAGS): Device not configured\n",
         em0_dhcp,
         kGather + "service netif restart em0\nifconfig em0 down\n"},
        {"a restart failing both ways still names what rc.conf now holds",
         {"apply", "em0", "1", "6", "ipv6_mode=Disabled"},
         {{"TARNWICK_FAKE_SERVICE_STATUS", "1"},
          {"TARNWICK_FAKE_SERVICE_STDERR", "netif: em0: busy"},
          {"TARNWICK_FAKE_IFCONFIG_FAIL", "em0 up"}},
         "failed asked=0\nApply failed\nApply failed\n"
         "IPv6 on em0 disabled (ifdisabled).\n"
         "service netif restart failed (netif: em0: busy); ifconfig cycle failed: "
         "ifconfig em0 up exited with status 1: "
         "ifconfig: ioctl (SIOCSIFFLAGS): Device not configured\n",
         router_rc_with("ifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"",
                        "ifconfig_em0_ipv6=\"inet6 ifdisabled\""),
         kGather + "service netif restart em0\nifconfig em0 down\nifconfig em0 up\n"
                   "netif start em0\n"},
    });
    expect_host_untouched(host);
}

TEST(PanelRoads, FreezeWritesTheLiveAddresses) {
    REQUIRE_NAMESPACES();
    const HostEtc host = host_etc();
    run_cases({
        {"em0: the first IPv4 and the first global or unique-local IPv6 address",
         {"freeze", "em0"},
         {},
         "done asked=1\nChanges applied\nFroze live config as static on em0:\n"
         "Froze live config as static on em0:\n  IPv4 192.0.2.10 netmask 255.255.255.0\n"
         "  IPv6 2001:db8:1::10/64\nservice netif restart em0: ok\n",
         kRouterRc,  // rewritten with the values it holds
         kGather + "service netif restart em0\n"},
        {"vtnet0: DHCP and SLAAC become static",
         {"freeze", "vtnet0"},
         {},
         "done asked=1\nChanges applied\nFroze live config as static on vtnet0:\n"
         "Froze live config as static on vtnet0:\n  IPv4 10.0.2.15 netmask 255.255.255.0\n"
         "  IPv6 2001:db8:2:0:5a9c:fcff:fe0d:417e/64\nservice netif restart vtnet0: ok\n",
         replaced(router_rc_with("ifconfig_vtnet0=\"SYNCDHCP\"",
                                 "ifconfig_vtnet0=\"inet 10.0.2.15 netmask 255.255.255.0\""),
                  "ifconfig_vtnet0_ipv6=\"inet6 accept_rtadv\"",
                  "ifconfig_vtnet0_ipv6=\"inet6 2001:db8:2:0:5a9c:fcff:fe0d:417e prefixlen 64\""),
         kGather + "service netif restart vtnet0\n"},
        {"declined",
         {"--answer", "no", "freeze", "em0"},
         {},
         "abandoned asked=1\n\n\n\n",
         std::nullopt,
         ""},
        {"an interface the fresh state does not list",
         {"freeze", "vlan20x"},
         {},
         "failed asked=1\nApply failed\ninterface vlan20x not found\ninterface vlan20x not "
         "found\n",
         std::nullopt,
         kGather},
        {"no address, or only link-local ones",
         {"freeze", "igb1"},
         {},
         "failed asked=1\nApply failed\nno non-link-local addresses to freeze as static\n"
         "no non-link-local addresses to freeze as static\n",
         std::nullopt,
         kGather},
        {"a user may not freeze",
         {"--user", "freeze", "em0"},
         {},
         "denied asked=0\nNot authorized to change network configuration\n"
         "Not authorized to change network configuration\n"
         "Not authorized to change network configuration\n",
         std::nullopt,
         ""},
    });
    expect_host_untouched(host);
}

// A freeze of em0 on a machine whose listings the case gives: em0's address
// lines for ifconfig, rc.conf's gateway lines, and the routing table (the
// recorded router's when empty).
struct FreezeCase {
    const char* name;
    std::string addresses;
    std::string gateways;
    std::string netstat;
    std::string output;
    std::optional<std::string> rc_conf;  // nullopt: left as it was, no backup
};

void run_freeze_cases(const std::vector<FreezeCase>& cases) {
    const std::string rc_em0 = "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"\n";
    for (const FreezeCase& c : cases) {
        test::ScratchDir listings;
        const std::string ifconfig = listings.write(
            "ifconfig",
            "em0: flags=1008843<UP,BROADCAST,RUNNING,SIMPLEX,MULTICAST,LOWER_UP> metric 0 mtu "
            "1500\n\tether 00:0c:29:4f:8e:35\n" +
                c.addresses +
                "\tinet6 fe80::20c:29ff:fe4f:8e35%em0 prefixlen 64 scopeid 0x1\n"
                "\tstatus: active\n");
        Env env = {
            {"TARNWICK_FAKE_IFCONFIG", ifconfig},
            {"TARNWICK_FAKE_NETSTAT", c.netstat.empty() ? std::string("freebsd14-router")
                                                        : listings.write("netstat", c.netstat)}};
        const std::string seeded = rc_em0 + c.gateways;
        Sandbox sandbox;
        sandbox.seed("rc.conf", seeded);
        EXPECT_EQ(sandbox.run({"freeze", "em0"}, env), c.output) << c.name;
        EXPECT_EQ(sandbox.etc("rc.conf"), c.rc_conf.value_or(seeded)) << c.name;
        EXPECT_EQ(sandbox.has("rc.conf.tarnwick.bak"), c.rc_conf.has_value()) << c.name;
        EXPECT_EQ(sandbox.log(),
                  kGather + (c.rc_conf ? "service netif restart em0\n" : std::string()))
            << c.name;
    }
}

const std::string kLiveV4 = "\tinet 192.0.2.10 netmask 0xffffff00 broadcast 192.0.2.255\n";
const std::string kLiveV6 = "\tinet6 2001:db8:1::10 prefixlen 64\n";
const std::string kGateways = "defaultrouter=\"192.0.2.1\"\nipv6_defaultrouter=\"fe80::1%em0\"\n";

std::string freeze_failed(const std::string& error) {
    return "failed asked=1\nApply failed\n" + error + "\n" + error + "\n";
}

TEST(PanelRoads, FreezeRefusesLiveValuesTheStaticSettingsRefuse) {
    REQUIRE_NAMESPACES();
    const HostEtc host = host_etc();
    const auto refused = [](const char* name, std::string addresses, std::string gateways,
                            const std::string& error, std::string netstat = "") {
        return FreezeCase{name,
                          std::move(addresses),
                          std::move(gateways),
                          std::move(netstat),
                          freeze_failed(error),
                          std::nullopt};
    };
    const std::string link_default_route =
        "Routing tables\n\nInternet:\n"
        "Destination        Gateway            Flags     Nhop#    Mtu      Netif Expire\n"
        "default            link#1             US            4   1500        em0\n"
        "192.0.2.0/24       link#1             U             2   1500        em0\n";
    run_freeze_cases({
        refused("IPv4 address", "\tinet 192.0.2.300 netmask 0xffffff00\n" + kLiveV6, kGateways,
                "invalid IPv4 address: 192.0.2.300"),
        refused("mask with a hole", "\tinet 192.0.2.10 netmask 0xff00ff00\n" + kLiveV6, kGateways,
                "invalid IPv4 address: 255.0.255.0"),
        refused("mask ifconfig printed in no known form",
                "\tinet 192.0.2.10 netmask 0xfff\n" + kLiveV6, kGateways,
                "invalid IPv4 address: 0xfff"),
        refused("the address is checked before the mask",
                "\tinet 192.0.2.300 netmask 0xfff\n" + kLiveV6, kGateways,
                "invalid IPv4 address: 192.0.2.300"),
        refused("IPv4 gateway from rc.conf", kLiveV4 + kLiveV6,
                "defaultrouter=\"gw.example.net\"\n", "invalid IPv4 address: gw.example.net"),
        refused("IPv4 gateway from a default route through the interface", kLiveV4 + kLiveV6, "",
                "invalid IPv4 address: link#1", link_default_route),
        refused("IPv6 address", kLiveV4 + "\tinet6 2001:db8::zz prefixlen 64\n", kGateways,
                "invalid IPv6 address: 2001:db8::zz"),
        refused("prefix 0", kLiveV4 + "\tinet6 2001:db8:1::10 prefixlen 0\n", kGateways,
                "prefixlen must be 1-128"),
        refused("prefix 129", kLiveV4 + "\tinet6 2001:db8:1::10 prefixlen 129\n", kGateways,
                "prefixlen must be 1-128"),
        refused("prefix 320, which is 64 in a byte",
                kLiveV4 + "\tinet6 2001:db8:1::10 prefixlen 320\n", kGateways,
                "prefixlen must be 1-128"),
        refused("prefix not a number", kLiveV4 + "\tinet6 2001:db8:1::10 prefixlen 6x4\n",
                kGateways, "prefixlen must be 1-128"),
        refused("the IPv6 address is checked before the prefix",
                kLiveV4 + "\tinet6 nope prefixlen 0\n", kGateways, "invalid IPv6 address: nope"),
        refused("IPv6 gateway", kLiveV4 + kLiveV6,
                "defaultrouter=\"192.0.2.1\"\nipv6_defaultrouter=\"router6\"\n",
                "invalid IPv6 address: router6"),
        refused("IPv6 gateway with an empty zone", kLiveV4 + kLiveV6,
                "defaultrouter=\"192.0.2.1\"\nipv6_defaultrouter=\"fe80::1%\"\n",
                "invalid IPv6 address: fe80::1%"),
        refused("rc.conf holds more than settings", kLiveV4 + kLiveV6,
                kGateways + "sysrc sshd_enable=YES\n",
                "rc.conf line 4 is not a setting (\"sysrc sshd_enable=YES\"); not changed"),
        // A good IPv4 change is not written alone either.
        refused("IPv4 first, then IPv6", "\tinet 192.0.2.10 netmask 0xfff\n\tinet6 nope\n",
                kGateways, "invalid IPv4 address: 0xfff"),
        refused("a bad IPv6 value keeps a good IPv4 one out too", kLiveV4 + "\tinet6 nope\n",
                kGateways, "invalid IPv6 address: nope"),
    });
    expect_host_untouched(host);
}

TEST(PanelRoads, FreezeKeepsItsOwnRulesForWhatItWrites) {
    REQUIRE_NAMESPACES();
    const HostEtc host = host_etc();
    const auto froze = [](std::string_view v4, std::string_view v6) {
        std::string out =
            "done asked=1\nChanges applied\nFroze live config as static on em0:\n"
            "Froze live config as static on em0:\n";
        if (!v4.empty()) out += "  IPv4 " + std::string(v4) + "\n";
        if (!v6.empty()) out += "  IPv6 " + std::string(v6) + "\n";
        return out + "service netif restart em0: ok\n";
    };
    run_freeze_cases({
        {"an empty gateway is none to check but is written", kLiveV4 + kLiveV6,
         "defaultrouter=''\nipv6_defaultrouter=\"\"\n", "",
         froze("192.0.2.10 netmask 255.255.255.0", "2001:db8:1::10/64"),
         "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"\ndefaultrouter=\"\"\n"
         "ipv6_defaultrouter=\"\"\nifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"\n"},
        {"rc.conf's own word for no router is none too: not checked, written back",
         kLiveV4 + kLiveV6, "defaultrouter=\"NO\"\nipv6_defaultrouter=\"no\"\n", "",
         froze("192.0.2.10 netmask 255.255.255.0", "2001:db8:1::10/64"),
         "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"\ndefaultrouter=\"NO\"\n"
         "ipv6_defaultrouter=\"no\"\nifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"\n"},
        {"no mask word: 255.255.255.0; no prefixlen word: 64",
         "\tinet 192.0.2.10\n\tinet6 2001:db8:1::10\n", kGateways, "",
         froze("192.0.2.10 netmask 255.255.255.0", "2001:db8:1::10/64"),
         "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"\n" + kGateways +
             "ifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"\n"},
        {"without an IPv4 address its gateway is neither written nor checked", kLiveV6,
         "defaultrouter=\"NO\"\nipv6_defaultrouter=\"fe80::1%em0\"\n", "",
         froze("", "2001:db8:1::10/64"),
         "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"\ndefaultrouter=\"NO\"\n"
         "ipv6_defaultrouter=\"fe80::1%em0\"\n"
         "ifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"\n"},
        {"a gateway read as the shell reads it, a comment after it", kLiveV4 + kLiveV6,
         "defaultrouter=\"192.0.2.1\" # upstream\nipv6_defaultrouter=fe80::1\\%em0\n", "",
         froze("192.0.2.10 netmask 255.255.255.0", "2001:db8:1::10/64"),
         "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"\n"
         "defaultrouter=\"192.0.2.1\" # upstream\nipv6_defaultrouter=\"fe80::1%em0\"\n"
         "ifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"\n"},
        {"gateways from the default routes when rc.conf has none", kLiveV4 + kLiveV6, "", "",
         froze("192.0.2.10 netmask 255.255.255.0", "2001:db8:1::10/64"),
         "ifconfig_em0=\"inet 192.0.2.10 netmask 255.255.255.0\"\ndefaultrouter=\"192.0.2.1\"\n"
         "ifconfig_em0_ipv6=\"inet6 2001:db8:1::10 prefixlen 64\"\n"
         "ipv6_defaultrouter=\"fe80::1%em0\"\n"},
    });
    expect_host_untouched(host);
}

TEST(PanelRoads, LastDefaultRouteByTheRoutesInterface) {
    NetworkOverview overview;
    const auto iface = [](std::string name, bool up) {
        InterfaceInfo info;
        info.name = std::move(name);
        info.up = up;
        return info;
    };
    const auto route = [](std::string destination, std::string interface_name) {
        return RouteRow{std::move(destination), "192.0.2.1", "UGS", "4", std::move(interface_name)};
    };
    overview.interfaces = {iface("em0", true), iface("em1", true), iface("em2", false)};
    overview.ipv4_routes = {route("10.0.0.0/8", "em1"), route("default", "em0")};
    EXPECT_TRUE(carries_last_default_route(overview, "em0"));
    EXPECT_FALSE(carries_last_default_route(overview, "em1"));  // carries none

    // Another interface that is up carries one: in either table.
    overview.ipv6_routes = {route("default", "em1")};
    EXPECT_FALSE(carries_last_default_route(overview, "em0"));
    EXPECT_FALSE(carries_last_default_route(overview, "em1"));
    // ... but not when it is down.
    overview.ipv6_routes = {route("default", "em2")};
    EXPECT_TRUE(carries_last_default_route(overview, "em0"));
    // The fourth column is not the interface.
    overview.ipv4_routes = {RouteRow{"default", "192.0.2.1", "UGS", "em0", "em1"}};
    overview.ipv6_routes.clear();
    EXPECT_FALSE(carries_last_default_route(overview, "em0"));
    EXPECT_TRUE(carries_last_default_route(overview, "em1"));
}

}  // namespace
}  // namespace tarnwick::app
