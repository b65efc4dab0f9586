#include "app/session/console_addresses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/scratch_dir.h"

namespace tarnwick::app {
namespace {

using Addresses = std::vector<std::string>;

std::string fake_path() {
    return std::string(TARNWICK_TEST_BIN_DIR) + ":/usr/bin:/bin";
}

TEST(ConsoleAddresses, ParsesListings) {
    struct Case {
        const char* name;
        std::string listing;
        Addresses expected;
    };
    const Case cases[] = {
        {"netmask line",
         "em0: flags=8843<UP,BROADCAST,RUNNING> mtu 1500\n"
         "\tinet 192.168.1.10 netmask 0xffffff00 broadcast 192.168.1.255\n",
         {"192.168.1.10"}},
        {"zone suffix cut, link-local dropped",
         "em0: flags=8843<UP> mtu 1500\n"
         "\tinet6 fe80::1%em0 prefixlen 64 scopeid 0x1\n"
         "\tinet6 2001:db8::5 prefixlen 64\n"
         "\tinet6 2001:db8::7%em0 prefixlen 64\n",
         {"2001:db8::5", "2001:db8::7"}},
        {"excluded interfaces, routable or not",
         "lo0: flags=8049<UP,LOOPBACK> mtu 16384\n\tinet 10.1.1.1 netmask 0xff000000\n"
         "lagg0: flags=8843<UP> mtu 1500\n\tinet 10.1.1.2 netmask 0xffffff00\n"
         "vlan10: flags=8843<UP> mtu 1500\n\tinet 10.1.1.3 netmask 0xffffff00\n"
         "bridge0: flags=8843<UP> mtu 1500\n\tinet6 2001:db8::3 prefixlen 64\n"
         "wg0: flags=80c1<UP> mtu 1420\n\tinet 10.1.1.4 netmask 0xffffff00\n"
         "lorawan0: flags=8843<UP> mtu 1500\n\tinet 10.1.1.5 netmask 0xffffff00\n"
         "bastille0: flags=8049<UP> mtu 16384\n\tinet 10.1.1.6 netmask 0xffffff00\n"
         "em1: flags=8843<UP> mtu 1500\n\tinet 10.1.1.7 netmask 0xffffff00\n",
         {"10.1.1.7"}},
        {"never-listed addresses",
         "em0: flags=8843<UP> mtu 1500\n"
         "\tinet 127.0.0.1 netmask 0xff000000\n\tinet 127.8.9.1 netmask 0xff000000\n"
         "\tinet 0.0.0.0 netmask 0xff000000\n\tinet 169.254.3.4 netmask 0xffff0000\n"
         "\tinet6 :: prefixlen 128\n\tinet6 ::1 prefixlen 128\n"
         "\tinet6 fe80::abcd prefixlen 64\n\tinet6 febf::1 prefixlen 64\n"
         "\tinet6 fec0::1 prefixlen 10\n\tinet 169.253.0.1 netmask 0xffff0000\n",
         {"169.253.0.1", "fec0::1"}},
        {"duplicates once, IPv4 first, bytewise",
         "em0: flags=8843<UP> mtu 1500\n\tinet 9.9.9.9 netmask 0xff000000\n"
         "\tinet6 2001:db8::1 prefixlen 64\n\tinet 192.168.1.1 netmask 0xffffff00\n"
         "igb0: flags=8843<UP> mtu 1500\n\tinet 10.0.0.2 netmask 0xff000000\n"
         "\tinet 9.9.9.9 netmask 0xff000000\n\tinet6 2001:db8::1%igb0 prefixlen 64\n"
         "\tinet6 2001:DB8::1 prefixlen 64\n",
         {"10.0.0.2", "192.168.1.1", "9.9.9.9", "2001:DB8::1", "2001:db8::1"}},
        {"malformed tokens and families on the wrong keyword",
         "em0: flags=8843<UP> mtu 1500\n"
         "\tinet 192.168.001.1 netmask 0xffffff00\n\tinet 256.1.1.1\n\tinet 1.2.3\n"
         "\tinet 1.2.3.4.5\n\tinet +1.2.3.4\n\tinet 2001:db8::9\n\tinet6 10.1.2.3\n"
         "\tinet6 2001:db8::zz prefixlen 64\n\tinet\n\tinet6\n\tinet 0.1.2.3\n"
         "\tinet6 2001:db8::8\r\n",
         {"0.1.2.3", "2001:db8::8"}},
        {"lines before any header count; unindented non-header lines too",
         "\tinet 10.9.9.9 netmask 0xff000000\n"
         "tap0: flags=8943<UP> mtu 1500\n\tinet 10.5.5.5 netmask 0xff000000\n"
         "inet 10.6.6.6 netmask 0xff000000\n"
         "em0: flags=8843<UP> mtu 1500\n"
         "inet 10.7.7.7 netmask 0xff000000\n",
         {"10.7.7.7", "10.9.9.9"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parse_console_addresses(c.listing), c.expected);
    }
}

TEST(ConsoleAddresses, RunsIfconfig) {
    test::ScopedEnv env("PATH", fake_path());
    test::ScratchDir scratch;
    env.set("TARNWICK_FAKE_LOG", scratch.file("calls"));
    struct Case {
        const char* fixture;
        const char* status;
        Addresses expected;
    };
    const Case cases[] = {
        {"server",
         "0",
         {"10.20.0.5", "192.168.1.10", "2001:db8:10::10", "2001:db8:20::5",
          "fd12:3456:789a:1::10"}},
        {"vm-dhcp", "0", {"10.0.2.15"}},
        {"server", "1", {}},  // printed addresses do not count after a failure
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture + std::string(" status ") + c.status);
        env.set("TARNWICK_FAKE_IFCONFIG", c.fixture).set("TARNWICK_FAKE_IFCONFIG_STATUS", c.status);
        EXPECT_EQ(console_addresses(), c.expected);
    }
    EXPECT_EQ(scratch.read("calls"), "ifconfig -a\nifconfig -a\nifconfig -a\n");

    env.set("PATH", scratch.path());  // no ifconfig at all
    EXPECT_EQ(console_addresses(), Addresses{});
}

}  // namespace
}  // namespace tarnwick::app
