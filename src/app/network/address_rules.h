#pragma once
// Which interfaces the network panel leaves out, and how it classifies and
// shows addresses.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/network/network_overview.h"

namespace tarnwick::app {

// Loopback and virtual interfaces (tunnels, bridges, jails' pairs, ...),
// which the panel neither shows nor configures. Link aggregation and VLAN
// interfaces are real configuration targets and are not in the list.
bool is_virtual_interface(std::string_view name);

// By the address text alone (the zone suffix ignored, letters in any case):
// fe80: link-local, fc/fd unique-local, everything else global.
Ipv6Scope ipv6_scope(std::string_view address);

// The mask text after its leading word ("netmask " or "prefixlen "); nullopt
// when the mask does not begin with that word.
std::optional<std::string> mask_value(std::string_view mask, std::string_view word);

// "192.168.1.10/255.255.255.0", "2001:db8::5/64", the address alone without
// a mask, or the address and an unusual mask separated by a blank.
std::string format_address(const IfAddress& address);

// The IPv6 entries of those scopes, in input order.
std::vector<const IfAddress*> ula_addresses(const std::vector<IfAddress>& addresses);
std::vector<const IfAddress*> global_addresses(const std::vector<IfAddress>& addresses);

}  // namespace tarnwick::app
