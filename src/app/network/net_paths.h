#pragma once
// The system files the network configuration reads, rewrites and runs. The
// product uses the fixed ones; tests pass scratch files.

#include <string>
#include <vector>

namespace tarnwick::app {

// A file, or a folder of files, that the boot sources after rc.conf, and the
// name a refusal gives it.
struct LaterRcFile {
    std::string path;
    std::string label;
};

struct NetPaths {
    std::string rc_conf;
    std::string rc_conf_backup;
    std::string resolv_conf;
    std::string netif_script;  // run after a failed `service netif restart`
    // Where netif and routing may find their settings set again after
    // rc.conf: rc.conf.local, then each script's rc.conf.d entry.
    std::vector<LaterRcFile> later_rc_files;
};

inline NetPaths system_net_paths() {
    return {"/etc/rc.conf",
            "/etc/rc.conf.tarnwick.bak",
            "/etc/resolv.conf",
            "/etc/rc.d/netif",
            {{"/etc/rc.conf.local", "rc.conf.local"},
             {"/etc/rc.conf.d/netif", "rc.conf.d/netif"},
             {"/etc/rc.conf.d/routing", "rc.conf.d/routing"},
             {"/usr/local/etc/rc.conf.d/netif", "/usr/local/etc/rc.conf.d/netif"},
             {"/usr/local/etc/rc.conf.d/routing", "/usr/local/etc/rc.conf.d/routing"}}};
}

}  // namespace tarnwick::app
