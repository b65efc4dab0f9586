#include "app/network/network_state.h"

#include "app/network/address_rules.h"
#include "app/network/ifconfig_listing.h"
#include "app/network/netstat_routes.h"
#include "app/network/rc_conf.h"
#include "app/network/resolv_conf.h"
#include "core/read_file.h"
#include "core/text.h"
#include "platform/command.h"

namespace tarnwick::app {
namespace {

std::optional<std::string> lookup(const RcConf& conf, std::string_view key) {
    const auto it = conf.find(key);
    if (it == conf.end()) return std::nullopt;
    return it->second;
}

// rc.conf's setting first (even when empty), else the first default route.
std::optional<std::string> default_gateway(const RcConf& conf, std::string_view key,
                                           const std::vector<RouteRow>& routes) {
    if (auto configured = lookup(conf, key)) return configured;
    for (const RouteRow& row : routes) {
        if (row.destination == "default") return row.gateway;
    }
    return std::nullopt;
}

// A file's text, or nothing when it is missing, unreadable or not UTF-8.
std::optional<std::string> file_text(const std::string& path) {
    auto read = read_text_file(path, kMaxConfigFileBytes);
    if (!read) return std::nullopt;
    return std::move(*read);
}

std::string hostname_output() {
    const auto result = platform::run_command("hostname", {});
    return result ? result->out_text() : std::string();
}

}  // namespace

std::optional<std::string> run_capture(std::string_view program, std::string_view argument) {
    const auto result = platform::run_command(program, {std::string(argument)});
    if (!result) return std::nullopt;
    if (!result->success() && result->out.empty()) return std::nullopt;
    return result->out_text();
}

NetworkOverview build_network_overview(const NetworkSources& sources) {
    NetworkOverview overview;
    const std::string_view hostname = trim(sources.hostname_output);
    overview.hostname = hostname.empty() ? "unknown" : std::string(hostname);

    const RcConf conf = parse_rc_conf(sources.rc_conf.value_or(""));

    for (IfconfigBlock& block : parse_ifconfig_listing(sources.ifconfig.value_or(""))) {
        if (!block.headed || is_virtual_interface(block.name)) continue;
        InterfaceInfo info;
        info.rc_ipv4 = lookup(conf, rc_ifconfig_key(block.name));
        info.rc_ipv6 = lookup(conf, rc_ifconfig_ipv6_key(block.name));
        info.ipv4_mode = ipv4_mode_of(info.rc_ipv4);
        info.ipv6_mode = ipv6_mode_of(info.rc_ipv6);
        info.name = std::move(block.name);
        info.status = std::move(block.status);
        info.addresses = std::move(block.addresses);
        info.mac = std::move(block.mac);
        info.up = block.up;
        overview.interfaces.push_back(std::move(info));
    }

    RouteTables routes = parse_netstat_routes(sources.netstat.value_or(""));
    overview.ipv4_routes = std::move(routes.ipv4);
    overview.ipv6_routes = std::move(routes.ipv6);

    overview.ipv4_gateway = default_gateway(conf, "defaultrouter", overview.ipv4_routes);
    overview.ipv6_gateway = default_gateway(conf, "ipv6_defaultrouter", overview.ipv6_routes);

    ResolverSettings resolver = parse_resolv_conf(sources.resolv_conf.value_or(""));
    overview.nameservers = std::move(resolver.nameservers);
    overview.search_domains = std::move(resolver.search_domains);
    overview.rc_conf_path = sources.rc_conf_path;
    return overview;
}

NetworkOverview gather_network_overview(const NetPaths& paths) {
    NetworkSources sources;
    sources.hostname_output = hostname_output();
    sources.rc_conf = file_text(paths.rc_conf);
    sources.ifconfig = run_capture("ifconfig", "-a");
    sources.netstat = run_capture("netstat", "-rnW");
    sources.resolv_conf = file_text(paths.resolv_conf);
    sources.rc_conf_path = paths.rc_conf;
    return build_network_overview(sources);
}

NetworkOverview gather_network_overview() {
    return gather_network_overview(system_net_paths());
}

}  // namespace tarnwick::app
