#pragma once
// Address texts as the network configuration accepts them.

#include <string_view>

namespace tarnwick::app {

// Dotted IPv4 as ifconfig prints it: four decimal numbers 0-255, no sign, no
// leading zero.
bool is_dotted_ipv4(std::string_view text);

// An IPv6 address in its standard textual forms (an embedded dotted IPv4
// tail included), without a zone suffix.
bool is_ipv6_text(std::string_view text);

}  // namespace tarnwick::app
