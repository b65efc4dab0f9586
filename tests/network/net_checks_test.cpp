#include "app/network/net_checks.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/network/ipv6_settings.h"

namespace tarnwick::app {
namespace {

std::optional<std::string> error_of(const Result<void, NetError>& result) {
    if (result) return std::nullopt;
    return net_error_text(result.error());
}

TEST(NetChecks, Ipv4) {
    const char* valid[] = {"192.168.1.1", "0.0.0.0", "255.255.255.255", "10.0.0.254"};
    for (const char* text : valid) EXPECT_EQ(error_of(check_ipv4(text)), std::nullopt) << text;
    const char* invalid[] = {"256.1.1.1", "1.2.3",    "1.2.3.4.5", "01.2.3.4",   "1.2.3.4 ",
                             " 1.2.3.4",  "::1",      "",          "1.2.3.4/24", "a.b.c.d",
                             "1..2.3",    "+1.2.3.4", "1.2.3.-4"};
    for (const char* text : invalid) {
        EXPECT_EQ(error_of(check_ipv4(text)), "invalid IPv4 address: " + std::string(text));
    }
}

TEST(NetChecks, NetmasksAreContiguous) {
    const char* valid[] = {"255.255.255.0", "255.255.255.255", "128.0.0.0", "255.255.252.0",
                           "255.0.0.0"};
    for (const char* text : valid) EXPECT_EQ(error_of(check_netmask(text)), std::nullopt) << text;
    const char* invalid[] = {"255.0.255.0",   "0.0.0.0",       "255.255.255.1",
                             "0.255.255.255", "255.255.0.255", "1.2.3.4",
                             "255.255.255",   "/24",           "24",
                             "0xffffff00"};
    for (const char* text : invalid) {
        EXPECT_EQ(error_of(check_netmask(text)), "invalid IPv4 address: " + std::string(text));
    }
}

TEST(NetChecks, InterfaceNames) {
    const std::optional<std::string> pass;
    const std::optional<std::string> invalid = "invalid interface name";
    const std::optional<std::string> virtual_if =
        "refusing to configure virtual/loopback interface";
    // A leading dash would be an option of ifconfig and service.
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"em0", pass},           {"igb1", pass},
        {"vtnet0", pass},        {"lagg0", pass},
        {"vlan20", pass},        {"my-if_0", pass},
        {"em0.100", invalid},    {"em0:", invalid},
        {"", invalid},           {"em 0", invalid},
        {"em0/1", invalid},      {"caf\xC3\xA9", invalid},
        {"em0\n", invalid},      {"-a", invalid},
        {"-", invalid},          {"a-", pass},
        {"lo0", virtual_if},     {"bridge0", virtual_if},
        {"tun0", virtual_if},    {"wg0", virtual_if},
        {"epair0a", virtual_if}, {"lorawan0", virtual_if},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(error_of(check_interface_name(name)), expected) << name;
    }
}

TEST(NetChecks, Ipv6StaticRequests) {
    struct Case {
        Ipv6StaticRequest request;
        std::optional<std::string> error;
    };
    const Case cases[] = {
        {{"2001:db8::5", "", 64}, std::nullopt},
        {{"2001:db8::5", "fe80::1%em0", 128}, std::nullopt},
        {{"fd00::1", "2001:db8::1", 1}, std::nullopt},
        {{"::ffff:192.0.2.1", "fe80::1%em0.100", 96}, std::nullopt},
        {{"2001:db8::5", "fe80::1%vlan_20", 64}, std::nullopt},
        {{"2001:db8::5", "", 0}, "prefixlen must be 1-128"},
        {{"2001:db8::5", "", 129}, "prefixlen must be 1-128"},
        {{"2001:db8::5", "", 255}, "prefixlen must be 1-128"},
        {{"2001:db8::5%em0", "", 64}, "invalid IPv6 address: 2001:db8::5%em0"},
        {{"192.0.2.1", "", 64}, "invalid IPv6 address: 192.0.2.1"},
        {{"", "", 64}, "invalid IPv6 address: "},
        {{"2001:db8::5/64", "", 64}, "invalid IPv6 address: 2001:db8::5/64"},
        {{"bad", "", 0}, "invalid IPv6 address: bad"},  // the address is checked first
        {{"2001:db8::5", "fe80::zz%em0", 0}, "prefixlen must be 1-128"},
        {{"2001:db8::5", "fe80::zz%em0", 64}, "invalid IPv6 address: fe80::zz"},
        {{"2001:db8::5", "192.0.2.1", 64}, "invalid IPv6 address: 192.0.2.1"},
        {{"2001:db8::5", "%em0", 64}, "invalid IPv6 address: "},
        {{"2001:db8::5", "fe80::1%", 64}, "invalid IPv6 address: fe80::1%"},
        {{"2001:db8::5", "fe80::1%em-0", 64}, "invalid IPv6 address: fe80::1%em-0"},
        {{"2001:db8::5", "fe80::1%em0\"; reboot; \"", 64},
         "invalid IPv6 address: fe80::1%em0\"; reboot; \""},
        {{"2001:db8::5", "fe80::1%em0%em1", 64}, "invalid IPv6 address: fe80::1%em0%em1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.address + " " + c.request.gateway + " /" +
                     std::to_string(c.request.prefix_len));
        EXPECT_EQ(error_of(check_ipv6_static_request(c.request)), c.error);
    }
}

TEST(NetChecks, ErrorTexts) {
    EXPECT_EQ(net_error_text(NetError::io("Permission denied (os error 13)")),
              "IO: Permission denied (os error 13)");
    EXPECT_EQ(net_error_text(NetError::message("interface em9 not found")),
              "interface em9 not found");
    EXPECT_EQ(net_error_text(NetError::not_root()), "must be root to change network config");
}

}  // namespace
}  // namespace tarnwick::app
