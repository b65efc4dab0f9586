#include "app/network/network_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/network/netstat_routes.h"
#include "app/network/rc_conf.h"
#include "app/network/resolv_conf.h"
#include "network/overview_dump.h"
#include "support/scoped_env.h"
#include "support/scratch_dir.h"

namespace tarnwick::app {
namespace {

std::string fixture(const std::string& kind, const std::string& name) {
    return test::read_file(std::string(TARNWICK_FIXTURES_DIR) + "/freebsd/" + kind + "/" + name);
}

TEST(NetworkOverview, ReadsRecordedMachines) {
    struct Case {
        const char* name;
        NetworkSources sources;
        std::string expected;
    };
    const Case cases[] = {
        {"FreeBSD 14 router",
         {"fw1.example.net\n", fixture("rc.conf", "freebsd14-router"),
          fixture("ifconfig", "freebsd14-router"), fixture("netstat", "freebsd14-router"),
          fixture("resolv.conf", "static"), "/etc/rc.conf"},
         R"(hostname fw1.example.net
interface em0 up status="active" mac="00:0c:29:4f:8e:35"
  ipv4 Static rc="inet 192.0.2.10 netmask 255.255.255.0"
  ipv6 Static rc="inet6 2001:db8:1::10 prefixlen 64"
  address 4 192.0.2.10 [netmask 255.255.255.0]
  address 4 192.0.2.11 [netmask 255.255.255.255]
  address 6 fe80::20c:29ff:fe4f:8e35 [prefixlen 64] link-local
  address 6 2001:db8:1::10 [prefixlen 64]
  address 6 fd00:1::10 [prefixlen 64]
interface igb1 down status="no carrier" mac="a0:36:9f:12:ab:01"
  ipv4 Unknown rc="up"
  ipv6 Disabled rc="inet6 ifdisabled"
interface igb2 up status="active" mac="a0:36:9f:12:ab:02"
  ipv4 Unknown rc="up"
  ipv6 Unknown rc=absent
interface vtnet0 up status="active" mac="58:9c:fc:0d:41:7e"
  ipv4 Dhcp rc="SYNCDHCP"
  ipv6 Slaac rc="inet6 accept_rtadv"
  address 4 10.0.2.15 [netmask 255.255.255.0]
  address 6 fe80::5a9c:fcff:fe0d:417e [prefixlen 64] link-local
  address 6 2001:db8:2:0:5a9c:fcff:fe0d:417e [prefixlen 64]
interface lagg0 up status="active" mac="a0:36:9f:12:ab:02"
  ipv4 Dhcp rc="laggproto lacp laggport igb2 DHCP"
  ipv6 Unknown rc=absent
  address 4 172.16.5.2 [netmask 255.255.255.0]
  address 6 fe80::a236:9fff:fe12:ab02 [prefixlen 64] link-local
interface vlan20 up status="active" mac="a0:36:9f:12:ab:02"
  ipv4 Static rc="inet 172.16.20.2/24 vlan 20 vlandev lagg0"
  ipv6 Unknown rc=absent
  address 4 172.16.20.2 [netmask 255.255.255.0]
  address 6 fe80::a236:9fff:fe12:ab02 [prefixlen 64] link-local
interface em0.100 up status="active" mac="00:0c:29:4f:8e:35"
  ipv4 Static rc="inet 198.51.100.2/24"
  ipv6 Unknown rc=absent
  address 4 198.51.100.2 [netmask 255.255.255.0]
route4 default 192.0.2.1 UGS 4 via em0
route4 10.0.2.0/24 link#4 U 5 via vtnet0
route4 10.0.2.15 link#5 UHS 1 via lo0
route4 10.8.0.2 link#12 UH 9 via tun0
route4 127.0.0.1 link#5 UH 1 via lo0
route4 172.16.5.0/24 link#6 U 6 via lagg0
route4 192.0.2.0/24 link#1 U 2 via em0
route4 192.0.2.10 link#5 UHS 1 via lo0
route6 ::/96 link#5 URS 7 via lo0
route6 default fe80::1%em0 UGS 10 via em0
route6 ::1 link#5 UHS 3 via lo0
route6 2001:db8:1::/64 link#1 U 11 via em0
route6 2001:db8:1::10 link#5 UHS 3 via lo0
route6 fe80::%em0/64 link#1 U 8 via em0
route6 fe80::20c:29ff:fe4f:8e35%em0 link#5 UHS 3 via lo0
gateway4 "192.0.2.1"
gateway6 "fe80::1%em0"
nameserver 192.0.2.53
nameserver 2001:db8::53
search corp.example
search a
search b
search #
search c
rc_conf /etc/rc.conf
)"},
        {"FreeBSD 13 VPS",
         {"  vps13\n", fixture("rc.conf", "freebsd13-vps"), fixture("ifconfig", "freebsd13-vps"),
          fixture("netstat", "freebsd13-vps"), fixture("resolv.conf", "dhcp"), "/etc/rc.conf"},
         R"(hostname vps13
interface vtnet0 up status="active" mac="96:00:01:a2:3b:4c"
  ipv4 Static rc="inet 203.0.113.40 netmask 255.255.255.224"
  ipv6 Static rc="inet6 2001:db8:feed::40 prefixlen 64"
  address 4 203.0.113.40 [netmask 255.255.255.224]
  address 4 203.0.113.41 [netmask 255.255.255.255]
  address 6 fe80::9400:1ff:fea2:3b4c [prefixlen 64] link-local
  address 6 2001:db8:feed::40 [prefixlen 64]
interface vtnet1 up status="active" mac="86:00:00:5d:e1:02"
  ipv4 Dhcp rc="DHCP"
  ipv6 Disabled rc="NO"
  address 4 10.0.0.2 [netmask 255.255.255.0]
  address 6 fe80::8400:ff:fe5d:e102 [prefixlen 64] link-local
interface vtnet2 down status="active" mac="86:00:00:5d:e1:03"
  ipv4 Unknown rc=absent
  ipv6 Unknown rc=absent
route4 default 203.0.113.33 UGS 2 via vtnet0
route4 10.0.0.0/24 link#2 U 3 via vtnet1
route4 10.0.0.2 link#4 UHS 1 via lo0
route4 127.0.0.1 link#4 UH 1 via lo0
route4 203.0.113.32/27 link#1 U 4 via vtnet0
route4 203.0.113.40 link#4 UHS 1 via lo0
route4 203.0.113.41 link#4 UHS 1 via lo0
route6 ::/96 link#4 URS 5 via lo0
route6 default 2001:db8:feed::1 UGS 8 via vtnet0
route6 ::1 link#4 UHS 6 via lo0
route6 2001:db8:77::1 link#6 UH 9 via gif0
route6 2001:db8:feed::/64 link#1 U 7 via vtnet0
route6 fe80::%lo0/10 link#4 URS 5 via lo0
gateway4 "203.0.113.33"
gateway6 "2001:db8:feed::1"
nameserver 10.0.2.3
search example.net
search lab.example.net
rc_conf /etc/rc.conf
)"},
        {"every source missing",
         {"", std::nullopt, std::nullopt, std::nullopt, std::nullopt, "/etc/rc.conf"},
         "hostname unknown\ngateway4 absent\ngateway6 absent\nrc_conf /etc/rc.conf\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(test::dump_overview(build_network_overview(c.sources)), c.expected);
    }
}

TEST(NetworkOverview, ReadsRcConf) {
    struct Case {
        const char* name;
        std::string text;
        RcConf expected;
    };
    const Case cases[] = {
        {"quotes, blanks, comments, later keys win",
         "# comment\n"
         "  \n"
         "ifconfig_em0=\"DHCP\"\n"
         "ifconfig_em0='inet 10.0.0.5 netmask 255.255.255.0'\n"
         "  hostname=\"fw1\"  \n"
         "\t#sshd_enable=\"YES\"\n"
         "a=\"\"\n",
         {{"ifconfig_em0", "inet 10.0.0.5 netmask 255.255.255.0"}, {"hostname", "fw1"}, {"a", ""}}},
        {"values as the shell assigns them",
         "defaultrouter=\"192.0.2.1\" # upstream\n"
         "kld_list=\"${kld_list} amdgpu\" # pf\n"
         "a=b=c\n"
         "b='\"x\"' c=\"'y'\"; d=\"\"'z'\"\"\n"
         "e=\"one \\\ntwo\" f=x\\ y\n"
         "g='it'\\''s' h=\"\\\"\\\\\\$\\d\"\n"
         "i=$a#b\n",
         {{"defaultrouter", "192.0.2.1"},
          {"kld_list", "${kld_list} amdgpu"},
          {"a", "b=c"},
          {"b", "\"x\""},
          {"c", "'y'"},
          {"d", "z"},
          {"e", "one two"},
          {"f", "x y"},
          {"g", "it's"},
          {"h", "\"\\$\\d"},
          {"i", "$a#b"}}},
        {"lines that are no settings are skipped, with all their settings",
         "no_equals_sign\n"
         "  hostname = \"fw1\"\n"
         "j=$(date)\n"
         "k=1; echo x\n"
         "note=\"see\nifconfig_em0=inet 10.0.0.9\n\"\n"
         "\xC2\xA0l=1\n"
         "m=ok\n",
         {{"note", "see\nifconfig_em0=inet 10.0.0.9\n"}, {"m", "ok"}}},
        {"a carriage return is part of a value, as for the shell",
         "x=1\r\ny=\"2\"\r\n",
         {{"x", "1\r"}, {"y", "2\r"}}},
        {"nothing is read after a quote that never closes", "a=1\nb=\"open\nc=2\n", {{"a", "1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parse_rc_conf(c.text), c.expected);
    }
}

TEST(NetworkOverview, InterfaceKeysFollowRcd) {
    EXPECT_EQ(rc_ifconfig_key("em0"), "ifconfig_em0");
    EXPECT_EQ(rc_ifconfig_key("em0.100"), "ifconfig_em0_100");
    EXPECT_EQ(rc_ifconfig_ipv6_key("my-if/1+2"), "ifconfig_my_if_1_2_ipv6");
}

TEST(NetworkOverview, ModesFromRcConfValues) {
    using V = std::optional<std::string>;
    const std::pair<V, Ipv4Mode> v4[] = {
        {std::nullopt, Ipv4Mode::Unknown},
        {"", Ipv4Mode::Unknown},
        {"DHCP", Ipv4Mode::Dhcp},
        {"SYNCDHCP", Ipv4Mode::Dhcp},
        {"NOSYNC dhcp", Ipv4Mode::Dhcp},
        {"inet 10.0.0.1 netmask 255.0.0.0", Ipv4Mode::Static},
        {"INET 10.0.0.1/8 DHCP", Ipv4Mode::Dhcp},
        {"up", Ipv4Mode::Unknown},
        {"inet6 ::1", Ipv4Mode::Static},
    };
    for (const auto& [value, mode] : v4) {
        EXPECT_EQ(ipv4_mode_of(value), mode) << value.value_or("(absent)");
    }
    const std::pair<V, Ipv6Mode> v6[] = {
        {std::nullopt, Ipv6Mode::Unknown},
        {"", Ipv6Mode::Disabled},
        {"NO", Ipv6Mode::Disabled},
        {"no", Ipv6Mode::Disabled},
        {"inet6 accept_rtadv", Ipv6Mode::Slaac},
        {"INET6 ACCEPT_RTADV ifdisabled", Ipv6Mode::Slaac},
        {"inet6 ifdisabled", Ipv6Mode::Disabled},
        {"inet6 -ifdisabled", Ipv6Mode::Static},
        {"inet6 2001:db8::5 prefixlen 64", Ipv6Mode::Static},
        {"accept_rtadv", Ipv6Mode::Slaac},
        {"yes", Ipv6Mode::Unknown},
        {" no", Ipv6Mode::Unknown},
    };
    for (const auto& [value, mode] : v6) {
        EXPECT_EQ(ipv6_mode_of(value), mode) << value.value_or("(absent)");
    }
}

TEST(NetworkOverview, ReadsRouteSections) {
    struct Case {
        const char* name;
        std::string listing;
        std::string expected;
    };
    const Case cases[] = {
        {"rows before any section are IPv4; header names the interface column",
         "default 10.0.0.1 UGS 3 1500 em0\n"
         "Internet6:\n"
         "Destination Gateway Flags Nhop# Mtu Netif Expire\n"
         "default fe80::1%em0 UGS 6 1500 igb0\n"
         "::1 link#2 UHS\n"
         "Internet:\n"
         "10.0.0.0/24 link#1 U 1 1500 em0\n",
         "route4 default 10.0.0.1 UGS 3 via 3\n"
         "route4 10.0.0.0/24 link#1 U 1 via 1\n"
         "route6 default fe80::1%em0 UGS 6 via igb0\n"},
        {"an old release's Use column; a row shorter than its header",
         "Routing tables\n\nInternet:\n"
         "Destination        Gateway            Flags     Use  Mtu    Netif Expire\n"
         "default            192.0.2.1          UGS      1234 1500   vtnet0\n"
         "192.0.2.0/24       link#1             U          17\n",
         "route4 default 192.0.2.1 UGS 1234 via vtnet0\n"
         "route4 192.0.2.0/24 link#1 U 17 via 17\n"},
        {"a header without Netif; a new section forgets the last header",
         "Internet:\nDestination Gateway Flags Refs Interface\n"
         "default 192.0.2.1 UGS 0 em0\n"
         "Internet6:\ndefault fe80::1 UG 0 em0\n",
         "route4 default 192.0.2.1 UGS 0 via 0\n"
         "route6 default fe80::1 UG 0 via 0\n"},
        {"section and header lines are matched after trimming",
         "  Internet6: \n\tDestination Gateway Flags Nhop# Mtu Netif\r\n"
         "default fe80::1%em0 UGS 6 1500 em0\r\n",
         "route6 default fe80::1%em0 UGS 6 via em0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RouteTables tables = parse_netstat_routes(c.listing);
        EXPECT_EQ(
            test::dump_routes("route4", tables.ipv4) + test::dump_routes("route6", tables.ipv6),
            c.expected);
    }
}

TEST(NetworkOverview, ReadsResolvConf) {
    using Words = std::vector<std::string>;
    struct Case {
        const char* name;
        std::string text;
        Words nameservers;
        Words search;
    };
    const Case cases[] = {
        {"recorded DHCP file",
         fixture("resolv.conf", "dhcp"),
         {"10.0.2.3"},
         {"example.net", "lab.example.net"}},
        {"indented lines, tabs after the keyword, capitals, comments as words",
         fixture("resolv.conf", "static"),
         {"192.0.2.53", "2001:db8::53"},
         {"corp.example", "a", "b", "#", "c"}},
        {"search and domain interleave in file order",
         "search a b\ndomain d e\nsearch c\nnameserver 1.1.1.1 9.9.9.9\nnameserver \n",
         {"1.1.1.1"},
         {"a", "b", "d", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ResolverSettings settings = parse_resolv_conf(c.text);
        EXPECT_EQ(settings.nameservers, c.nameservers);
        EXPECT_EQ(settings.search_domains, c.search);
    }
}

TEST(NetworkOverview, GatewaysFromRcConfFirstThenDefaultRoutes) {
    const std::string routes =
        "Internet:\ndefault 192.0.2.1 UGS 1 1500 em0\ndefault 192.0.2.2 UGS 1 1500 em1\n"
        "Internet6:\ndefault fe80::1%em0 UGS 1 1500 em0\n";
    struct Case {
        const char* name;
        std::optional<std::string> rc_conf;
        std::optional<std::string> netstat;
        std::optional<std::string> ipv4;
        std::optional<std::string> ipv6;
    };
    const Case cases[] = {
        {"from the first default routes", "", routes, "192.0.2.1", "fe80::1%em0"},
        {"rc.conf wins, even when empty",
         "defaultrouter=\"\"\nipv6_defaultrouter=\"2001:db8::1\"\n", routes, "", "2001:db8::1"},
        {"neither", "", "Internet:\n10.0.0.0/8 link#1 U 1\n", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NetworkSources sources;
        sources.rc_conf = c.rc_conf;
        sources.netstat = c.netstat;
        const NetworkOverview overview = build_network_overview(sources);
        EXPECT_EQ(overview.ipv4_gateway, c.ipv4);
        EXPECT_EQ(overview.ipv6_gateway, c.ipv6);
    }
}

TEST(NetworkOverview, RunCaptureKeepsOutputOfFailedCommands) {
    test::ScratchDir scratch;
    const std::string empty = scratch.write("empty", "");
    test::ScopedEnv env("PATH", std::string(TARNWICK_TEST_BIN_DIR) + ":/usr/bin:/bin");
    struct Case {
        const char* fixture;
        const char* status;
        bool output;
    };
    const Case cases[] = {
        {"freebsd13-vps", "0", true},
        {"freebsd13-vps", "1", true},  // printed something: kept
        {empty.c_str(), "0", true},    // succeeded silently: empty text
        {empty.c_str(), "1", false},   // failed silently: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture + std::string(" status ") + c.status);
        env.set("TARNWICK_FAKE_NETSTAT", c.fixture).set("TARNWICK_FAKE_NETSTAT_STATUS", c.status);
        const auto out = run_capture("netstat", "-rnW");
        ASSERT_EQ(out.has_value(), c.output);
        if (out) {
            EXPECT_EQ(*out, c.fixture == empty ? "" : fixture("netstat", c.fixture));
        }
    }
    env.set("TARNWICK_FAKE_NETSTAT", scratch.write("bad", "a\xff\n"));
    EXPECT_EQ(run_capture("netstat", "-rnW"), std::optional<std::string>("a\xEF\xBF\xBD\n"));
    EXPECT_EQ(run_capture("no-such-program-here", "-a"), std::nullopt);
}

}  // namespace
}  // namespace tarnwick::app
