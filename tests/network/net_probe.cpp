// Calls the network configuration's public entries, which use the fixed
// system paths (/etc/rc.conf, /etc/rc.d/netif, ...), for tests that run it in
// private mount and network namespaces with an overlay on /etc
// (tests/network/net-sandbox). Prints "ok" or "error" and then the text.
//
//   tarnwick_net_probe [--as-nobody] overview
//   tarnwick_net_probe [--as-nobody] write KEY VALUE [KEY VALUE ...]
//   tarnwick_net_probe [--as-nobody] restart|slaac|disable IF
//   tarnwick_net_probe [--as-nobody] restart-within MILLISECONDS IF
//   tarnwick_net_probe [--as-nobody] static IF ADDRESS PREFIX GATEWAY

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/network/interface_restart.h"
#include "app/network/ipv6_settings.h"
#include "app/network/network_state.h"
#include "app/network/rc_conf_rewrite.h"
#include "network/overview_dump.h"

namespace {

using tarnwick::app::NetError;

int report(const tarnwick::Result<std::string, NetError>& result) {
    if (result) {
        std::printf("ok\n%s\n", result->c_str());
    } else {
        std::printf("error\n%s\n", tarnwick::app::net_error_text(result.error()).c_str());
    }
    return 0;
}

bool drop_to_nobody() {
    const passwd* pw = ::getpwnam("nobody");
    const uid_t uid = pw != nullptr ? pw->pw_uid : 65534;
    const gid_t gid = pw != nullptr ? pw->pw_gid : 65534;
    return ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0;
}

int usage() {
    std::fprintf(stderr, "usage: tarnwick_net_probe [--as-nobody] COMMAND ARGS...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--as-nobody") {
        if (!drop_to_nobody()) return 3;
        args.erase(args.begin());
    }
    if (args.empty()) return usage();
    const std::string& command = args[0];
    namespace app = tarnwick::app;
    if (command == "overview" && args.size() == 1) {
        std::printf("ok\n%s",
                    tarnwick::test::dump_overview(app::gather_network_overview()).c_str());
        return 0;
    }
    if (command == "write" && args.size() % 2 == 1) {
        app::RcPairs pairs;
        for (std::size_t i = 1; i + 1 < args.size(); i += 2)
            pairs.emplace_back(args[i], args[i + 1]);
        auto written = app::write_rc_conf(pairs);
        if (!written) return report(tarnwick::fail(written.error()));
        return report(std::string("written"));
    }
    if (args.size() == 2 && command == "restart") return report(app::restart_interface(args[1]));
    if (args.size() == 3 && command == "restart-within") {
        return report(app::restart_interface(app::system_net_paths(), args[2],
                                             std::chrono::milliseconds(std::stoi(args[1]))));
    }
    if (args.size() == 2 && command == "slaac") return report(app::set_ipv6_slaac(args[1]));
    if (args.size() == 2 && command == "disable") return report(app::disable_ipv6(args[1]));
    if (args.size() == 5 && command == "static") {
        app::Ipv6StaticRequest request{args[2], args[4],
                                       static_cast<std::uint8_t>(std::stoi(args[3]))};
        return report(app::set_ipv6_static(args[1], request));
    }
    return usage();
}
