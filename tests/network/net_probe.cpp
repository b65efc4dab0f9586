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
//
// and the network panel's roads, which print the end, whether a question
// was asked, the title, the status line and the body, each on a line:
//
//   tarnwick_net_probe [--as-nobody] [--user] [--answer yes|no] apply IF 0|1 4|6 [KEY=VALUE...]
//   tarnwick_net_probe [--as-nobody] [--user] [--answer yes|no] freeze IF

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
#include "app/network/panel_roads.h"
#include "app/network/rc_conf_rewrite.h"
#include "core/catalog.h"
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

const char* end_name(tarnwick::app::RoadReport::End end) {
    using End = tarnwick::app::RoadReport::End;
    switch (end) {
        case End::Done:
            return "done";
        case End::Failed:
            return "failed";
        case End::Denied:
            return "denied";
        case End::Abandoned:
            break;
    }
    return "abandoned";
}

int report_road(const tarnwick::app::RoadReport& report, int asked) {
    std::printf("%s asked=%d\n%s\n%s\n%s\n", end_name(report.end), asked, report.title.c_str(),
                report.status.c_str(), report.body.c_str());
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: tarnwick_net_probe [--as-nobody] COMMAND ARGS...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool admin = true;
    bool answer = true;
    while (!args.empty() && args[0].starts_with("--")) {
        if (args[0] == "--as-nobody") {
            if (!drop_to_nobody()) return 3;
        } else if (args[0] == "--user") {
            admin = false;
        } else if (args[0] == "--answer" && args.size() > 1) {
            answer = args[1] == "yes";
            args.erase(args.begin());
        } else {
            return usage();
        }
        args.erase(args.begin());
    }
    if (args.empty()) return usage();
    const std::string& command = args[0];
    namespace app = tarnwick::app;
    const tarnwick::Catalog catalog =
        tarnwick::load_catalog(std::string(TARNWICK_SOURCE_DIR) + "/res/locales", "en-US", "en-US");
    int asked = 0;
    const auto question = [&] {
        ++asked;
        return answer;
    };
    if (command == "apply" && args.size() >= 4) {
        tarnwick::tui::PanelApply apply{
            args[1],
            {},
            args[2] == "1",
            args[3] == "6" ? tarnwick::tui::IfaceFamily::Ipv6 : tarnwick::tui::IfaceFamily::Ipv4};
        for (std::size_t i = 4; i < args.size(); ++i) {
            const std::size_t eq = args[i].find('=');
            if (eq == std::string::npos) return usage();
            apply.pairs.emplace_back(args[i].substr(0, eq), args[i].substr(eq + 1));
        }
        const auto overview = app::gather_network_overview();
        const auto road =
            app::apply_road(app::system_net_paths(), overview, apply, admin, catalog, question);
        return report_road(road, asked);
    }
    if (command == "freeze" && args.size() == 2) {
        const auto road =
            app::freeze_road(app::system_net_paths(), args[1], admin, catalog, question);
        return report_road(road, asked);
    }
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
