// Any bytes as ifconfig, netstat, rc.conf and resolv.conf text at once (as the
// reader gets them: decoded with U+FFFD for invalid sequences): the overview
// is built without crashing, and rewriting rc.conf sets exactly the one key.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/network/ifconfig_listing.h"
#include "app/network/network_state.h"
#include "app/network/rc_conf.h"
#include "app/network/rc_conf_rewrite.h"
#include "core/text.h"
#include "fuzz/fuzz_target.h"

namespace {

constexpr const char* kKey = "ifconfig_em0_ipv6";
constexpr const char* kValue = "inet6 2001:db8::5 prefixlen 64";

void check_overview(const tarnwick::app::NetworkOverview& overview) {
    for (const auto& info : overview.interfaces) {
        if (info.name.find(':') != std::string::npos) std::abort();
        for (const auto& a : info.addresses) {
            if (a.address.empty() || (a.family == 6 && a.address.find('%') != std::string::npos)) {
                std::abort();
            }
        }
    }
    for (const auto* rows : {&overview.ipv4_routes, &overview.ipv6_routes}) {
        for (const auto& row : *rows) {
            if (row.destination.empty() || row.fourth_column.empty() ||
                row.interface_name.empty()) {
                std::abort();
            }
        }
    }
}

void check_rewrite(const std::string& text) {
    using tarnwick::app::parse_rc_conf;
    const std::string rewritten = tarnwick::app::rewrite_rc_conf_text(text, {{kKey, kValue}});
    auto before = parse_rc_conf(text);
    auto after = parse_rc_conf(rewritten);
    const auto it = after.find(kKey);
    if (it == after.end() || it->second != kValue) std::abort();
    before.erase(kKey);
    after.erase(kKey);
    if (before != after) std::abort();
    if (rewritten.empty() || rewritten.back() != '\n') std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text =
        tarnwick::decode_lossy(std::string_view(reinterpret_cast<const char*>(data), size));
    tarnwick::app::NetworkSources sources{text, text, text, text, text, "/etc/rc.conf"};
    check_overview(tarnwick::app::build_network_overview(sources));
    (void)tarnwick::app::parse_ifconfig_listing(text, ": flags");
    check_rewrite(text);
    return 0;
}
