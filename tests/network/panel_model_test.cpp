// The network panel's model from overviews: a recorded router, and small
// interfaces built for each rule. The catalog is empty, so the IPv6 status
// line shows its message key.

#include "app/network/panel_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/network/network_state.h"
#include "core/catalog.h"
#include "network/recorded_router.h"

namespace tarnwick::app {
namespace {

const Catalog kKeys{};

NetworkOverview router() {
    return build_network_overview(recorded_router());
}

const tui::InterfaceView* find(const tui::NetworkPanelModel& model, std::string_view name) {
    for (const auto& view : model.interfaces)
        if (view.name == name) return &view;
    return nullptr;
}

TEST(PanelModel, RecordedRouter) {
    const tui::NetworkPanelModel model = build_panel_model(router(), kKeys);
    EXPECT_EQ(model.hostname, "fw1.example.net");
    EXPECT_EQ(model.ipv4_gateway, "192.0.2.1");
    EXPECT_EQ(model.ipv6_gateway, "fe80::1%em0");
    EXPECT_EQ(model.nameservers, (std::vector<std::string>{"192.0.2.53", "2001:db8::53"}));
    EXPECT_EQ(model.search_domains, "corp.example a b # c");
    std::vector<std::string> names;
    for (const auto& view : model.interfaces) names.push_back(view.name);
    EXPECT_EQ(names, (std::vector<std::string>{"em0", "igb1", "igb2", "vtnet0", "lagg0", "vlan20",
                                               "em0.100"}));

    tui::InterfaceView em0;
    em0.name = "em0";
    em0.status = "active";
    em0.mac = "00:0c:29:4f:8e:35";
    em0.ipv4_mode = "Static";
    em0.ipv6_mode = "Static";
    em0.ipv6_status = "net.ipv6.status.static";
    em0.ipv4_live = {"192.0.2.10/255.255.255.0", "192.0.2.11/255.255.255.255"};
    em0.ipv6_global = {"2001:db8:1::10/64"};
    em0.ipv6_ula = {"fd00:1::10/64"};
    em0.ipv6_link_local = {"fe80::20c:29ff:fe4f:8e35/64"};
    em0.ipv4_address = "192.0.2.10";
    em0.ipv4_netmask = "255.255.255.0";
    em0.ipv4_gateway = "192.0.2.1";
    em0.ipv6_address = "2001:db8:1::10";
    em0.ipv6_prefix = "64";
    em0.ipv6_gateway = "fe80::1%em0";
    em0.up = true;
    ASSERT_NE(find(model, "em0"), nullptr);
    EXPECT_EQ(*find(model, "em0"), em0);

    const tui::InterfaceView& igb1 = *find(model, "igb1");
    EXPECT_EQ(igb1.ipv4_mode, "Unknown");  // "up" names no mode
    EXPECT_EQ(igb1.ipv6_mode, "Disabled");
    EXPECT_EQ(igb1.ipv6_status, "net.ipv6.status.disabled");
    EXPECT_EQ(igb1.status, "no carrier");
    EXPECT_TRUE(igb1.ipv4_live.empty());
    EXPECT_EQ(igb1.ipv4_address, "");
    EXPECT_EQ(igb1.ipv4_netmask, "255.255.255.0");
    EXPECT_EQ(igb1.ipv6_address, "");
    EXPECT_EQ(igb1.ipv6_prefix, "64");
    EXPECT_FALSE(igb1.up);

    const tui::InterfaceView& vtnet0 = *find(model, "vtnet0");
    EXPECT_EQ(vtnet0.ipv4_mode, "DHCP");
    EXPECT_EQ(vtnet0.ipv6_mode, "SLAAC");
    EXPECT_EQ(vtnet0.ipv6_status, "net.ipv6.status.slaac_active");
    EXPECT_EQ(vtnet0.ipv6_address, "2001:db8:2:0:5a9c:fcff:fe0d:417e");
    EXPECT_EQ(vtnet0.ipv4_gateway, "192.0.2.1");  // the host's gateway in every view

    // No IPv6 setting at all reads as SLAAC, with only a link-local address
    // as "unknown".
    const tui::InterfaceView& vlan20 = *find(model, "vlan20");
    EXPECT_EQ(vlan20.ipv6_mode, "SLAAC");
    EXPECT_EQ(vlan20.ipv6_status, "net.mode.unknown");
}

InterfaceInfo bare(std::vector<IfAddress> addresses, Ipv6Mode ipv6 = Ipv6Mode::Slaac) {
    InterfaceInfo info;
    info.name = "em0";
    info.addresses = std::move(addresses);
    info.ipv6_mode = ipv6;
    return info;
}

IfAddress v4(std::string address, std::string mask) {
    return {std::move(address), std::move(mask), false, 4};
}
IfAddress v6(std::string address, std::string mask = "prefixlen 64") {
    const bool link_local = address.starts_with("fe80:");
    return {std::move(address), std::move(mask), link_local, 6};
}

TEST(PanelModel, FieldRules) {
    const NetworkOverview overview;
    struct Case {
        const char* name;
        InterfaceInfo info;
        std::string mac, ipv4_address, ipv4_netmask, ipv6_address, ipv6_prefix, ipv6_status;
    };
    const Case cases[] = {
        {"nothing", bare({}), "—", "", "255.255.255.0", "", "64", "net.ipv6.status.slaac_waiting"},
        {"mask without its word", bare({v4("10.0.0.1", "0xfff")}), "—", "10.0.0.1", "0xfff", "",
         "64", "net.ipv6.status.slaac_waiting"},
        {"no netmask word", bare({v4("10.0.0.1", ""), v4("10.0.0.2", "netmask 255.0.0.0")}), "—",
         "10.0.0.1", "", "", "64", "net.ipv6.status.slaac_waiting"},
        {"link-local only, SLAAC", bare({v6("fe80::1")}), "—", "", "255.255.255.0", "", "64",
         "net.ipv6.status.slaac_waiting"},
        {"link-local only, unknown", bare({v6("fe80::1")}, Ipv6Mode::Unknown), "—", "",
         "255.255.255.0", "", "64", "net.mode.unknown"},
        {"unique-local counts for SLAAC", bare({v6("fd00::5", "prefixlen 48")}), "—", "",
         "255.255.255.0", "fd00::5", "48", "net.ipv6.status.slaac_active"},
        {"but not when unknown", bare({v6("fd00::5")}, Ipv6Mode::Unknown), "—", "", "255.255.255.0",
         "fd00::5", "64", "net.mode.unknown"},
        {"global before unique-local", bare({v6("fd00::5"), v6("2001:db8::5", "prefixlen 56")}),
         "—", "", "255.255.255.0", "2001:db8::5", "56", "net.ipv6.status.slaac_active"},
        {"prefix without its word", bare({v6("2001:db8::5", "64")}), "—", "", "255.255.255.0",
         "2001:db8::5", "64", "net.ipv6.status.slaac_active"},
        {"static and disabled", bare({}, Ipv6Mode::Static), "—", "", "255.255.255.0", "", "64",
         "net.ipv6.status.static"},
    };
    for (const Case& c : cases) {
        const tui::InterfaceView view = build_interface_view(c.info, overview, kKeys);
        EXPECT_EQ(view.mac, c.mac) << c.name;
        EXPECT_EQ(view.ipv4_address, c.ipv4_address) << c.name;
        EXPECT_EQ(view.ipv4_netmask, c.ipv4_netmask) << c.name;
        EXPECT_EQ(view.ipv6_address, c.ipv6_address) << c.name;
        EXPECT_EQ(view.ipv6_prefix, c.ipv6_prefix) << c.name;
        EXPECT_EQ(view.ipv6_status, c.ipv6_status) << c.name;
    }

    InterfaceInfo disabled = bare({}, Ipv6Mode::Disabled);
    disabled.mac = "00:11:22:33:44:55";
    const tui::InterfaceView view = build_interface_view(disabled, overview, kKeys);
    EXPECT_EQ(view.ipv6_status, "net.ipv6.status.disabled");
    EXPECT_EQ(view.ipv6_mode, "Disabled");
    EXPECT_EQ(view.mac, "00:11:22:33:44:55");

    // Three link-local addresses are all in the view (the form shows two).
    const auto three = build_interface_view(
        bare({v6("fe80::1"), v6("fe80::2"), v6("fe80::3"), v4("10.0.0.1", "")}), overview, kKeys);
    EXPECT_EQ(three.ipv6_link_local.size(), 3u);
    EXPECT_EQ(three.ipv4_live, (std::vector<std::string>{"10.0.0.1"}));
    EXPECT_TRUE(three.ipv6_global.empty());
}

TEST(PanelModel, ModeWords) {
    const NetworkOverview overview;
    const std::pair<Ipv4Mode, const char*> v4_cases[] = {
        {Ipv4Mode::Dhcp, "DHCP"}, {Ipv4Mode::Static, "Static"}, {Ipv4Mode::Unknown, "Unknown"}};
    for (const auto& [mode, word] : v4_cases) {
        InterfaceInfo info = bare({});
        info.ipv4_mode = mode;
        EXPECT_EQ(build_interface_view(info, overview, kKeys).ipv4_mode, word);
    }
    const std::pair<Ipv6Mode, const char*> v6_cases[] = {{Ipv6Mode::Slaac, "SLAAC"},
                                                         {Ipv6Mode::Static, "Static"},
                                                         {Ipv6Mode::Disabled, "Disabled"},
                                                         {Ipv6Mode::Unknown, "SLAAC"}};
    for (const auto& [mode, word] : v6_cases)
        EXPECT_EQ(build_interface_view(bare({}, mode), overview, kKeys).ipv6_mode, word);
}

TEST(PanelModel, AbsentGatewaysAreADashInTheModelAndEmptyInTheViews) {
    NetworkOverview overview;
    overview.interfaces = {bare({})};
    auto model = build_panel_model(overview, kKeys);
    EXPECT_EQ(model.ipv4_gateway, "—");
    EXPECT_EQ(model.ipv6_gateway, "—");
    EXPECT_EQ(model.interfaces[0].ipv4_gateway, "");
    EXPECT_EQ(model.interfaces[0].ipv6_gateway, "");
    EXPECT_EQ(model.search_domains, "");

    overview.ipv4_gateway = "";  // rc.conf sets it to empty text
    overview.ipv6_gateway = "fe80::1%em0";
    model = build_panel_model(overview, kKeys);
    EXPECT_EQ(model.ipv4_gateway, "");
    EXPECT_EQ(model.interfaces[0].ipv4_gateway, "");
    EXPECT_EQ(model.ipv6_gateway, "fe80::1%em0");
    EXPECT_EQ(model.interfaces[0].ipv6_gateway, "fe80::1%em0");
}

TEST(PanelModel, StatusLineIsTranslated) {
    Catalog catalog;
    catalog.messages["net.ipv6.status.slaac_waiting"] = "wartet";
    EXPECT_EQ(build_interface_view(bare({}), NetworkOverview{}, catalog).ipv6_status, "wartet");
}

}  // namespace
}  // namespace tarnwick::app
