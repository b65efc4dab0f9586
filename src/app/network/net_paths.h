#pragma once
// The system files the network configuration reads, rewrites and runs. The
// product uses the fixed ones; tests pass scratch files.

#include <string>

namespace tarnwick::app {

struct NetPaths {
    std::string rc_conf;
    std::string rc_conf_backup;
    std::string resolv_conf;
    std::string netif_script;  // run after a failed `service netif restart`
};

inline NetPaths system_net_paths() {
    return {"/etc/rc.conf", "/etc/rc.conf.tarnwick.bak", "/etc/resolv.conf", "/etc/rc.d/netif"};
}

}  // namespace tarnwick::app
