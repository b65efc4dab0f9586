#include "app/network/interface_changes.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>

#include "app/network/address_rules.h"
#include "app/network/interface_restart.h"
#include "app/network/ip_text.h"
#include "app/network/net_checks.h"
#include "app/network/rc_conf.h"
#include "core/text.h"

namespace tarnwick::app {
namespace {

using ChangeResult = Result<RcChange, NetError>;

// A zone names an interface: ASCII letters, digits, "_" and ".".
bool is_zone_name(std::string_view zone) {
    return !zone.empty() && std::all_of(zone.begin(), zone.end(), [](char c) {
        return is_ascii_alnum(c) || c == '_' || c == '.';
    });
}

ChangeResult ipv6_mode_change(std::string_view name, std::string value, std::string_view summary) {
    if (auto ok = check_may_configure(name); !ok) return fail(std::move(ok.error()));
    return RcChange{{{rc_ifconfig_ipv6_key(name), std::move(value)}},
                    fmt::format("IPv6 on {} {}.", name, summary)};
}

std::string ipv4_static_value(const Ipv4StaticRequest& request) {
    return fmt::format("inet {} netmask {}", request.address, request.netmask);
}

std::string ipv6_static_value(const Ipv6StaticRequest& request) {
    return fmt::format("inet6 {} prefixlen {}", request.address, request.prefix_len);
}

// The gateway a freeze checks: rc.d reads an empty router and "NO" (in any
// case) alike as none, so neither is an address to check; it is written back
// as it stands.
std::string frozen_gateway_to_check(const std::optional<std::string>& gateway) {
    if (!gateway || ascii_lowercase(*gateway) == "no") return {};
    return *gateway;
}

}  // namespace

Result<void, NetError> check_ipv4_static_request(const Ipv4StaticRequest& request) {
    if (auto ok = check_ipv4(request.address); !ok) return ok;
    if (auto ok = check_netmask(request.netmask); !ok) return ok;
    if (request.gateway.empty()) return {};
    return check_ipv4(request.gateway);
}

Result<void, NetError> check_ipv6_static_request(const Ipv6StaticRequest& request) {
    if (!is_ipv6_text(request.address)) {
        return fail(NetError::message("invalid IPv6 address: " + request.address));
    }
    if (request.prefix_len < 1 || request.prefix_len > 128) {
        return fail(NetError::message("prefixlen must be 1-128"));
    }
    if (request.gateway.empty()) return {};
    const std::size_t percent = request.gateway.find('%');
    const std::string address = request.gateway.substr(0, percent);
    if (!is_ipv6_text(address)) return fail(NetError::message("invalid IPv6 address: " + address));
    if (percent != std::string::npos && !is_zone_name(request.gateway.substr(percent + 1))) {
        return fail(NetError::message("invalid IPv6 address: " + request.gateway));
    }
    return {};
}

std::uint8_t prefix_length_of(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > 128)
        return 0;
    return static_cast<std::uint8_t>(value);
}

ChangeResult ipv4_dhcp_change(std::string_view interface_name) {
    if (auto ok = check_may_configure(interface_name); !ok) return fail(std::move(ok.error()));
    return RcChange{{{rc_ifconfig_key(interface_name), "DHCP"}},
                    fmt::format("IPv4 on {} set to DHCP.", interface_name)};
}

ChangeResult ipv4_static_change(std::string_view interface_name, const Ipv4StaticRequest& request) {
    if (auto ok = check_may_configure(interface_name); !ok) return fail(std::move(ok.error()));
    if (auto ok = check_ipv4_static_request(request); !ok) return fail(std::move(ok.error()));
    RcChange change{{{rc_ifconfig_key(interface_name), ipv4_static_value(request)}},
                    fmt::format("IPv4 on {} set static {}/{}.", interface_name, request.address,
                                request.netmask)};
    if (!request.gateway.empty()) change.pairs.emplace_back("defaultrouter", request.gateway);
    return change;
}

ChangeResult ipv6_slaac_change(std::string_view interface_name) {
    return ipv6_mode_change(interface_name, "inet6 accept_rtadv", "set to SLAAC (accept_rtadv)");
}

ChangeResult ipv6_disabled_change(std::string_view interface_name) {
    return ipv6_mode_change(interface_name, "inet6 ifdisabled", "disabled (ifdisabled)");
}

ChangeResult ipv6_static_change(std::string_view interface_name, const Ipv6StaticRequest& request) {
    if (auto ok = check_may_configure(interface_name); !ok) return fail(std::move(ok.error()));
    if (auto ok = check_ipv6_static_request(request); !ok) return fail(std::move(ok.error()));
    RcChange change{{{rc_ifconfig_ipv6_key(interface_name), ipv6_static_value(request)}},
                    fmt::format("IPv6 on {} set static {}/{}.", interface_name, request.address,
                                request.prefix_len)};
    if (!request.gateway.empty()) change.pairs.emplace_back("ipv6_defaultrouter", request.gateway);
    return change;
}

ChangeResult frozen_ipv4_change(std::string_view interface_name, const IfAddress& address,
                                const std::optional<std::string>& gateway) {
    const Ipv4StaticRequest request{address.address,
                                    mask_value(address.mask, "netmask ").value_or("255.255.255.0"),
                                    frozen_gateway_to_check(gateway)};
    if (auto ok = check_ipv4_static_request(request); !ok) return fail(std::move(ok.error()));
    RcChange change{{{rc_ifconfig_key(interface_name), ipv4_static_value(request)}},
                    fmt::format("IPv4 {} netmask {}", request.address, request.netmask)};
    if (gateway) change.pairs.emplace_back("defaultrouter", *gateway);
    return change;
}

ChangeResult frozen_ipv6_change(std::string_view interface_name, const IfAddress& address,
                                const std::optional<std::string>& gateway) {
    const Ipv6StaticRequest request{
        address.address, frozen_gateway_to_check(gateway),
        prefix_length_of(mask_value(address.mask, "prefixlen ").value_or("64"))};
    if (auto ok = check_ipv6_static_request(request); !ok) return fail(std::move(ok.error()));
    RcChange change{{{rc_ifconfig_ipv6_key(interface_name), ipv6_static_value(request)}},
                    fmt::format("IPv6 {}/{}", request.address, request.prefix_len)};
    if (gateway) change.pairs.emplace_back("ipv6_defaultrouter", *gateway);
    return change;
}

Result<std::string, NetError> write_and_restart(const NetPaths& paths,
                                                std::string_view interface_name,
                                                const RcPairs& pairs) {
    if (auto written = write_rc_conf(paths, pairs); !written) {
        return fail(std::move(written.error()));
    }
    return restart_interface(paths, interface_name);
}

}  // namespace tarnwick::app
