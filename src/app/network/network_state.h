#pragma once
// Gathering the machine's network state: `hostname`, /etc/rc.conf,
// `ifconfig -a`, `netstat -rnW` and /etc/resolv.conf, in that order.

#include <optional>
#include <string>
#include <string_view>

#include "app/network/net_paths.h"
#include "app/network/network_overview.h"

namespace tarnwick::app {

// Never fails: a source that cannot be read or run adds nothing (the host
// name falls back to "unknown"). Blocks while the commands run.
NetworkOverview gather_network_overview();
NetworkOverview gather_network_overview(const NetPaths& paths);

// Builds the overview from the sources' texts (nullopt: the source gave
// nothing), as gathering does. Texts must be valid UTF-8.
struct NetworkSources {
    std::string hostname_output;
    std::optional<std::string> rc_conf;
    std::optional<std::string> ifconfig;
    std::optional<std::string> netstat;
    std::optional<std::string> resolv_conf;
    std::string rc_conf_path;
};
NetworkOverview build_network_overview(const NetworkSources& sources);

// Runs the program with one argument and returns its standard output as text
// (invalid UTF-8 replaced) when it succeeded or at least printed something;
// nothing when it could not start or failed silently.
std::optional<std::string> run_capture(std::string_view program, std::string_view argument);

}  // namespace tarnwick::app
