#pragma once
// The sources of the recorded FreeBSD router of tests/fixtures/freebsd
// (freebsd14-router listings and rc.conf, the static resolv.conf), as
// gathering reads them from /etc.

#include <string>

#include "app/network/network_state.h"
#include "support/scratch_dir.h"

namespace tarnwick::app {

inline NetworkSources recorded_router() {
    const std::string fixtures = std::string(TARNWICK_FIXTURES_DIR) + "/freebsd/";
    NetworkSources sources;
    sources.hostname_output = "fw1.example.net\n";
    sources.rc_conf = test::read_file(fixtures + "rc.conf/freebsd14-router");
    sources.ifconfig = test::read_file(fixtures + "ifconfig/freebsd14-router");
    sources.netstat = test::read_file(fixtures + "netstat/freebsd14-router");
    sources.resolv_conf = test::read_file(fixtures + "resolv.conf/static");
    sources.rc_conf_path = "/etc/rc.conf";
    return sources;
}

}  // namespace tarnwick::app
