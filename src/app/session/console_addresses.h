#pragma once
// The machine's reachable addresses as the login screen and the
// system-information view show them, from `ifconfig -a`.

#include <string>
#include <string_view>
#include <vector>

#include "platform/command.h"

namespace tarnwick::app {

// Addresses of physical-looking interfaces, without loopback, unspecified and
// link-local ones, each once, IPv4 first, then bytewise. Empty when ifconfig
// cannot be started or fails.
std::vector<std::string> console_addresses();

// Starts `ifconfig -a` in `commands`, so that it runs while the session
// starts up otherwise; console_addresses takes its result.
platform::CommandSet::Handle start_address_listing(platform::CommandSet& commands);
std::vector<std::string> console_addresses(platform::CommandSet& commands,
                                           platform::CommandSet::Handle listing);

// The same from a listing already captured.
std::vector<std::string> parse_console_addresses(std::string_view listing);

// Loopback, virtual, aggregate and VLAN interfaces whose addresses are not
// shown at the console.
bool is_excluded_console_interface(std::string_view name);

}  // namespace tarnwick::app
