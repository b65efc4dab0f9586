#pragma once
// The IPv6 configuration of an interface: SLAAC, disabled or a static address.
// Each runs the same steps, the first failure ending it: root, interface
// name, the request (static only), the rc.conf rewrite, the restart; the text
// for the result page ends with the restart's text.

#include <string>
#include <string_view>

#include "app/network/interface_changes.h"
#include "app/network/net_error.h"
#include "app/network/net_paths.h"
#include "core/result.h"

namespace tarnwick::app {

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

}  // namespace tarnwick::app
