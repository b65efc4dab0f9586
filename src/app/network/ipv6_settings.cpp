#include "app/network/ipv6_settings.h"

namespace tarnwick::app {
namespace {

Result<std::string, NetError> made(const NetPaths& paths, std::string_view name,
                                   Result<RcChange, NetError> change) {
    if (!change) return fail(std::move(change.error()));
    auto restarted = write_and_restart(paths, name, change->pairs);
    if (!restarted) return restarted;
    return change->summary + "\n" + *restarted;
}

}  // namespace

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
