#include "app/network/ipv6_settings.h"

#include <algorithm>

#include "app/network/interface_restart.h"
#include "app/network/ip_text.h"
#include "app/network/net_checks.h"
#include "app/network/rc_conf.h"
#include "core/text.h"

namespace tarnwick::app {
namespace {

// A zone names an interface: ASCII letters, digits, "_" and ".".
bool is_zone_name(std::string_view zone) {
    return !zone.empty() && std::all_of(zone.begin(), zone.end(), [](char c) {
        return is_ascii_alnum(c) || c == '_' || c == '.';
    });
}

Result<RcChange, NetError> ipv6_mode_change(std::string_view name, std::string value,
                                            std::string_view summary) {
    if (auto ok = check_may_configure(name); !ok) return fail(std::move(ok.error()));
    return RcChange{{{rc_ifconfig_ipv6_key(name), std::move(value)}},
                    "IPv6 on " + std::string(name) + " " + std::string(summary) + "."};
}

Result<std::string, NetError> made(const NetPaths& paths, std::string_view name,
                                   Result<RcChange, NetError> change) {
    if (!change) return fail(std::move(change.error()));
    auto restarted = write_and_restart(paths, name, change->pairs);
    if (!restarted) return restarted;
    return change->summary + "\n" + *restarted;
}

}  // namespace

Result<std::string, NetError> write_and_restart(const NetPaths& paths,
                                                std::string_view interface_name,
                                                const RcPairs& pairs) {
    if (auto written = write_rc_conf(paths, pairs); !written) {
        return fail(std::move(written.error()));
    }
    return restart_interface(paths, interface_name);
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

Result<RcChange, NetError> ipv6_slaac_change(std::string_view interface_name) {
    return ipv6_mode_change(interface_name, "inet6 accept_rtadv", "set to SLAAC (accept_rtadv)");
}

Result<RcChange, NetError> ipv6_disabled_change(std::string_view interface_name) {
    return ipv6_mode_change(interface_name, "inet6 ifdisabled", "disabled (ifdisabled)");
}

Result<RcChange, NetError> ipv6_static_change(std::string_view interface_name,
                                              const Ipv6StaticRequest& request) {
    if (auto ok = check_may_configure(interface_name); !ok) return fail(std::move(ok.error()));
    if (auto ok = check_ipv6_static_request(request); !ok) return fail(std::move(ok.error()));
    const std::string prefix = std::to_string(request.prefix_len);
    RcChange change{{{rc_ifconfig_ipv6_key(interface_name),
                      "inet6 " + request.address + " prefixlen " + prefix}},
                    "IPv6 on " + std::string(interface_name) + " set static " + request.address +
                        "/" + prefix + "."};
    if (!request.gateway.empty()) change.pairs.emplace_back("ipv6_defaultrouter", request.gateway);
    return change;
}

Result<std::string, NetError> set_ipv6_slaac(const NetPaths& paths,
                                             std::string_view interface_name) {
    return made(paths, interface_name, ipv6_slaac_change(interface_name));
}

Result<std::string, NetError> disable_ipv6(const NetPaths& paths, std::string_view interface_name) {
    return made(paths, interface_name, ipv6_disabled_change(interface_name));
}

Result<std::string, NetError> set_ipv6_static(const NetPaths& paths,
                                              std::string_view interface_name,
                                              const Ipv6StaticRequest& request) {
    return made(paths, interface_name, ipv6_static_change(interface_name, request));
}

Result<std::string, NetError> set_ipv6_slaac(std::string_view interface_name) {
    return set_ipv6_slaac(system_net_paths(), interface_name);
}

Result<std::string, NetError> disable_ipv6(std::string_view interface_name) {
    return disable_ipv6(system_net_paths(), interface_name);
}

Result<std::string, NetError> set_ipv6_static(std::string_view interface_name,
                                              const Ipv6StaticRequest& request) {
    return set_ipv6_static(system_net_paths(), interface_name, request);
}

}  // namespace tarnwick::app
