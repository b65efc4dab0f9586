#pragma once
// The ids of the edit form's setting rows. They are also the keys of the
// pairs an apply hands to the controller, which reads its settings by them.

#include <string_view>

namespace tarnwick::tui {

inline constexpr std::string_view kIpv4ModeField = "ipv4_mode";
inline constexpr std::string_view kIpv4AddressField = "ipv4_address";
inline constexpr std::string_view kIpv4NetmaskField = "ipv4_netmask";
inline constexpr std::string_view kIpv4GatewayField = "ipv4_gateway";
inline constexpr std::string_view kIpv6ModeField = "ipv6_mode";
inline constexpr std::string_view kIpv6AddressField = "ipv6_address";
inline constexpr std::string_view kIpv6PrefixField = "ipv6_prefix";
inline constexpr std::string_view kIpv6GatewayField = "ipv6_gateway";

}  // namespace tarnwick::tui
