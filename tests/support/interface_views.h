#pragma once
// An interface as the network panel shows it, for the panel's tests: a
// static IPv4 address (none when `address` is empty), SLAAC with one global
// IPv6 address, the host's gateway.

#include <string>

#include "tui/screens/network_panel/panel_model.h"

namespace tarnwick::test {

inline tui::InterfaceView interface_view(std::string name, bool up, std::string address) {
    tui::InterfaceView v;
    v.name = std::move(name);
    v.mac = "00:0c:29:aa:bb:cc";
    v.ipv4_mode = "Static";
    v.ipv6_mode = "SLAAC";
    v.ipv6_status = "SLAAC active";
    if (!address.empty()) v.ipv4_live = {address + "/255.255.255.0"};
    v.ipv4_address = address;
    v.ipv4_netmask = "255.255.255.0";
    v.ipv4_gateway = "192.0.2.1";
    v.ipv6_global = {"2001:db8::5/64"};
    v.ipv6_address = "2001:db8::5";
    v.ipv6_prefix = "64";
    v.up = up;
    return v;
}

}  // namespace tarnwick::test
