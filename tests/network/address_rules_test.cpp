#include "app/network/address_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::app {
namespace {

TEST(AddressRules, VirtualInterfaces) {
    const std::pair<const char*, bool> cases[] = {
        {"lo0", true},        {"lo1:", true},    {"lorawan0", true}, {"tap0", true},
        {"epair0a", true},    {"bridge0", true}, {"vnet0", true},    {"vm-public", true},
        {"tun0", true},       {"wg0", true},     {"pflog0", true},   {"pfsync0", true},
        {"enc0", true},       {"ipfw0", true},   {"ipsec0", true},   {"gif0", true},
        {"gre0", true},       {"usbus0", true},  {"docker0", true},  {"cni0", true},
        {"veth1", true},      {"podman0", true}, {"em0", false},     {"igb1", false},
        {"vtnet0", false},    {"lagg0", false},  {"vlan20", false},  {"em0.100", false},
        {"bastille0", false}, {"Lo0", false},    {"", false},        {":", false},
        {"em0:", false},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(is_virtual_interface(name), expected) << name;
    }
}

TEST(AddressRules, Ipv6Scope) {
    const std::pair<const char*, Ipv6Scope> cases[] = {
        {"fe80::1", Ipv6Scope::LinkLocal},   {"FE80::1%em0", Ipv6Scope::LinkLocal},
        {"fe80:", Ipv6Scope::LinkLocal},     {"fe8::1", Ipv6Scope::Global},
        {"fd00::1", Ipv6Scope::UniqueLocal}, {"FD00::1%em0", Ipv6Scope::UniqueLocal},
        {"fc00::1", Ipv6Scope::UniqueLocal}, {"fcxyz", Ipv6Scope::UniqueLocal},
        {"2001:db8::1", Ipv6Scope::Global},  {"", Ipv6Scope::Global},
        {"%fe80::1", Ipv6Scope::Global},     {"::1", Ipv6Scope::Global},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ipv6_scope(text), expected) << text;
    }
}

TEST(AddressRules, FormatsAddresses) {
    const std::pair<IfAddress, const char*> cases[] = {
        {{"2001:db8::5", "prefixlen 64", false, 6}, "2001:db8::5/64"},
        {{"192.168.1.10", "netmask 255.255.255.0", false, 4}, "192.168.1.10/255.255.255.0"},
        {{"192.168.1.10", "netmask 0xfff", false, 4}, "192.168.1.10/0xfff"},
        {{"10.0.0.1", "", false, 4}, "10.0.0.1"},
        {{"10.0.0.1", "mask 8", false, 4}, "10.0.0.1 mask 8"},
        {{"10.0.0.1", "prefixlen", false, 4}, "10.0.0.1 prefixlen"},
    };
    for (const auto& [address, expected] : cases) {
        EXPECT_EQ(format_address(address), expected) << address.address << " " << address.mask;
    }
}

TEST(AddressRules, SelectsUniqueLocalAndGlobalAddresses) {
    const std::vector<IfAddress> addresses = {
        {"fd00::1", "prefixlen 64", false, 6},       // 0 unique-local
        {"2001:db8::1", "prefixlen 64", false, 6},   // 1 global
        {"fe80::1", "prefixlen 64", true, 6},        // 2 link-local
        {"fd00::2", "", true, 6},                    // 3 unique-local though flagged
        {"2001:db8::2", "", true, 6},                // 4 flagged: not global
        {"fdff::9", "netmask 255.0.0.0", false, 4},  // 5 IPv4 family: neither
        {"2001:db8::3", "prefixlen 48", false, 6},   // 6 global
    };
    auto indexes = [&addresses](const std::vector<const IfAddress*>& picked) {
        std::vector<long> out;
        for (const IfAddress* a : picked) out.push_back(a - addresses.data());
        return out;
    };
    EXPECT_EQ(indexes(ula_addresses(addresses)), (std::vector<long>{0, 3}));
    EXPECT_EQ(indexes(global_addresses(addresses)), (std::vector<long>{1, 6}));
    EXPECT_TRUE(ula_addresses({}).empty());
}

}  // namespace
}  // namespace tarnwick::app
