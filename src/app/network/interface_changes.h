#pragma once
// The changes an interface's configuration can take, both families side by
// side: what each writes to rc.conf and the line that names it on the result
// page, built only once its checks have passed (nothing is written here);
// and the last step they share, the rewrite and the restart.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/network/net_error.h"
#include "app/network/net_paths.h"
#include "app/network/network_overview.h"
#include "app/network/rc_conf_rewrite.h"
#include "core/result.h"

namespace tarnwick::app {

// What a change writes to rc.conf, and the line that names it on the result
// page ("IPv6 on em0 set to SLAAC (accept_rtadv).").
struct RcChange {
    RcPairs pairs;
    std::string summary;
};

struct Ipv4StaticRequest {
    std::string address;
    std::string netmask;
    std::string gateway;  // empty: none
};

struct Ipv6StaticRequest {
    std::string address;
    std::string gateway;  // empty: none; may carry a zone ("fe80::1%em0")
    std::uint8_t prefix_len = 64;
};

// The request's checks, in order: the address, the netmask (a dotted mask
// whose one bits come first), the gateway when there is one.
Result<void, NetError> check_ipv4_static_request(const Ipv4StaticRequest& request);

// The request's checks, in order: the address, the prefix length (1-128),
// the gateway (its address before "%", its zone an interface name).
Result<void, NetError> check_ipv6_static_request(const Ipv6StaticRequest& request);

// A prefix length from its decimal text; 0, which the static checks refuse,
// for anything but a number from 1 to 128.
std::uint8_t prefix_length_of(std::string_view text);

// The settings the panel applies. Each checks first that the process runs as
// root and that the interface may be configured, then the request.
Result<RcChange, NetError> ipv4_dhcp_change(std::string_view interface_name);
Result<RcChange, NetError> ipv4_static_change(std::string_view interface_name,
                                              const Ipv4StaticRequest& request);
Result<RcChange, NetError> ipv6_slaac_change(std::string_view interface_name);
Result<RcChange, NetError> ipv6_disabled_change(std::string_view interface_name);
Result<RcChange, NetError> ipv6_static_change(std::string_view interface_name,
                                              const Ipv6StaticRequest& request);

// Freezing a live address as the interface's static setting. The live
// values pass the static settings' checks, as ifconfig's listing and rc.conf
// may hold what no static setting accepts (a default route through "link#1",
// a mask in no known form). A gateway the state has is written even when
// empty; an empty one, or rc.conf's "NO", is not checked. The caller has checked root and the
// interface name.
Result<RcChange, NetError> frozen_ipv4_change(std::string_view interface_name,
                                              const IfAddress& address,
                                              const std::optional<std::string>& gateway);
Result<RcChange, NetError> frozen_ipv6_change(std::string_view interface_name,
                                              const IfAddress& address,
                                              const std::optional<std::string>& gateway);

// The last two steps of every interface change: rewrite rc.conf with the
// pairs, then restart the interface; the restart's text.
Result<std::string, NetError> write_and_restart(const NetPaths& paths,
                                                std::string_view interface_name,
                                                const RcPairs& pairs);

}  // namespace tarnwick::app
