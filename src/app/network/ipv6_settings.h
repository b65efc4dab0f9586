#pragma once
// The IPv6 configuration of an interface: SLAAC, disabled or a static address.
// Each runs the same steps, the first failure ending it: root, interface
// name, the request (static only), the rc.conf rewrite, the restart; the text
// for the result page ends with the restart's text.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/network/net_error.h"
#include "app/network/net_paths.h"
#include "app/network/rc_conf_rewrite.h"
#include "core/result.h"

namespace tarnwick::app {

struct Ipv6StaticRequest {
    std::string address;
    std::string gateway;  // empty: none; may carry a zone ("fe80::1%em0")
    std::uint8_t prefix_len = 64;
};

Result<std::string, NetError> set_ipv6_slaac(std::string_view interface_name);
Result<std::string, NetError> disable_ipv6(std::string_view interface_name);
Result<std::string, NetError> set_ipv6_static(std::string_view interface_name,
                                              const Ipv6StaticRequest& request);

Result<std::string, NetError> set_ipv6_slaac(const NetPaths& paths,
                                             std::string_view interface_name);
Result<std::string, NetError> disable_ipv6(const NetPaths& paths, std::string_view interface_name);
Result<std::string, NetError> set_ipv6_static(const NetPaths& paths,
                                              std::string_view interface_name,
                                              const Ipv6StaticRequest& request);

// What a change writes to rc.conf, and the line that names it on the result
// page ("IPv6 on em0 set to SLAAC (accept_rtadv).").
struct RcChange {
    RcPairs pairs;
    std::string summary;
};

// The change each setter makes, once its checks have passed (root, interface
// name, the static request); nothing is written.
Result<RcChange, NetError> ipv6_slaac_change(std::string_view interface_name);
Result<RcChange, NetError> ipv6_disabled_change(std::string_view interface_name);
Result<RcChange, NetError> ipv6_static_change(std::string_view interface_name,
                                              const Ipv6StaticRequest& request);

// The request's checks, in order: the address, the prefix length (1-128),
// the gateway (its address before "%", its zone an interface name).
Result<void, NetError> check_ipv6_static_request(const Ipv6StaticRequest& request);

// The last two steps of every interface change, shared with the IPv4 steps
// of the panel: rewrite rc.conf with the pairs, then restart the interface;
// the restart's text.
Result<std::string, NetError> write_and_restart(const NetPaths& paths,
                                                std::string_view interface_name,
                                                const RcPairs& pairs);

}  // namespace tarnwick::app
