#include "app/network/panel_roads.h"

#include "app/network/interface_changes.h"
#include "app/network/interface_restart.h"
#include "app/network/net_checks.h"
#include "app/network/network_state.h"
#include "app/network/rc_conf_rewrite.h"
#include "core/access_policy.h"
#include "core/catalog.h"
#include "core/text.h"
#include "platform/command.h"
#include "tui/screens/network_panel/iface_field_ids.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <vector>

namespace tarnwick::app {
namespace {

using StepResult = Result<std::string, NetError>;
using ChangeResult = Result<RcChange, NetError>;

RoadReport denied(const Catalog& catalog) {
    const std::string text = translate(catalog, "form.apply_denied");
    return {RoadReport::End::Denied, text, text, text};
}

RoadReport abandoned() {
    return {};
}

bool carries_default_route(const NetworkOverview& overview, std::string_view name) {
    const auto leaves_by = [name](const RouteRow& row) {
        return row.destination == "default" && row.interface_name == name;
    };
    return std::any_of(overview.ipv4_routes.begin(), overview.ipv4_routes.end(), leaves_by) ||
           std::any_of(overview.ipv6_routes.begin(), overview.ipv6_routes.end(), leaves_by);
}

const InterfaceInfo* find_interface(const NetworkOverview& overview, std::string_view name) {
    const auto it = std::find_if(overview.interfaces.begin(), overview.interfaces.end(),
                                 [name](const InterfaceInfo& info) { return info.name == name; });
    return it == overview.interfaces.end() ? nullptr : &*it;
}

// The form's pairs by key (a later pair wins), values trimmed; a missing key
// reads as empty text.
class PairLookup {
public:
    explicit PairLookup(const tui::FormPairs& pairs) {
        for (const auto& [key, value] : pairs) values_[key] = std::string(trim(value));
    }
    std::string operator[](std::string_view key) const {
        const auto it = values_.find(key);
        return it == values_.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string, std::less<>> values_;
};

ChangeResult ipv4_change(std::string_view name, const PairLookup& form) {
    const std::string mode = form[tui::kIpv4ModeField];
    if (mode == "DHCP") return ipv4_dhcp_change(name);
    if (mode == "Static") {
        Ipv4StaticRequest request{form[tui::kIpv4AddressField], form[tui::kIpv4NetmaskField],
                                  form[tui::kIpv4GatewayField]};
        if (request.netmask.empty()) request.netmask = "255.255.255.0";
        if (request.address.empty())
            return fail(NetError::message("IPv4 address required for Static mode"));
        return ipv4_static_change(name, request);
    }
    return fail(NetError::message("unknown IPv4 mode: " + mode));
}

// A typed prefix length; an empty field means the usual 64. Anything but a
// number from 1 to 128 is left for the static setter to refuse with its own
// text, in its own order of checks.
std::uint8_t typed_prefix_length(std::string_view text) {
    return text.empty() ? 64 : prefix_length_of(text);
}

ChangeResult ipv6_change(std::string_view name, const PairLookup& form) {
    const std::string mode = form[tui::kIpv6ModeField];
    if (mode == "SLAAC") return ipv6_slaac_change(name);
    if (mode == "Disabled") return ipv6_disabled_change(name);
    if (mode == "Static") {
        const Ipv6StaticRequest request{form[tui::kIpv6AddressField], form[tui::kIpv6GatewayField],
                                        typed_prefix_length(form[tui::kIpv6PrefixField])};
        if (request.address.empty())
            return fail(NetError::message("IPv6 address required for Static mode"));
        return ipv6_static_change(name, request);
    }
    return fail(NetError::message("unknown IPv6 mode: " + mode));
}

// `ifconfig <if> up|down`.
StepResult set_link(std::string_view name, bool up) {
    const char* word = up ? "up" : "down";
    const auto ran = platform::run_command("ifconfig", {std::string(name), word});
    if (!ran) {
        if (ran.error().kind == platform::CommandError::Kind::TimedOut)
            return fail(
                NetError::message(fmt::format("ifconfig {} {} failed: {}", name, word,
                                              platform::display_command_error(ran.error()))));
        return fail(NetError::io(system_error_text(ran.error().errnum)));
    }
    if (!ran->success())
        return fail(NetError::message(
            fmt::format("ifconfig {} {} failed: {}", name, word, trim(ran->err_text()))));
    return fmt::format("Interface {} set {}.", name, word);
}

RoadReport done(const Catalog& catalog, std::string body) {
    const std::string title = translate(catalog, "form.applied");
    return {RoadReport::End::Done, title, std::move(body), title};
}

// The steps that succeeded stay listed above the error that ended the road.
RoadReport failed(const Catalog& catalog, const std::string& done_so_far, const NetError& error) {
    const std::string title = translate(catalog, "form.apply_failed");
    std::string body =
        done_so_far.empty() ? net_error_text(error) : done_so_far + "\n" + net_error_text(error);
    return {RoadReport::End::Failed, title, std::move(body), title};
}

}  // namespace

bool carries_last_default_route(const NetworkOverview& overview, std::string_view name) {
    if (!carries_default_route(overview, name)) return false;
    return std::none_of(
        overview.interfaces.begin(), overview.interfaces.end(), [&](const InterfaceInfo& other) {
            return other.name != name && other.up && carries_default_route(overview, other.name);
        });
}

RoadReport apply_road(const NetPaths& paths, const NetworkOverview& overview,
                      const tui::PanelApply& apply, bool is_admin, const Catalog& catalog,
                      const RoadQuestion& confirm_last_route) {
    if (!authorize_action("network_apply", is_admin)) return denied(catalog);
    const std::string& name = apply.interface_name;
    const InterfaceInfo* info = find_interface(overview, name);
    const bool was_up = info != nullptr && info->up;
    const bool link_change = was_up != apply.enabled;
    if (was_up && !apply.enabled && carries_last_default_route(overview, name) &&
        !confirm_last_route())
        return abandoned();

    // Everything is checked before rc.conf is touched; once it is written,
    // the result lists the change above a failing restart.
    const PairLookup form(apply.pairs);
    auto change =
        apply.family == tui::IfaceFamily::Ipv4 ? ipv4_change(name, form) : ipv6_change(name, form);
    if (!change) return failed(catalog, "", change.error());
    if (auto written = write_rc_conf(paths, change->pairs); !written)
        return failed(catalog, "", written.error());
    auto restarted = restart_interface(paths, name);
    if (!restarted) return failed(catalog, change->summary, restarted.error());
    std::string body = change->summary + "\n" + *restarted;
    if (link_change) {
        auto linked = set_link(name, apply.enabled);
        if (!linked) return failed(catalog, body, linked.error());
        body += "\n" + *linked;
    }
    return done(catalog, std::move(body));
}

RoadReport freeze_road(const NetPaths& paths, std::string_view interface_name, bool is_admin,
                       const Catalog& catalog, const RoadQuestion& confirm) {
    if (!authorize_action("make_static", is_admin)) return denied(catalog);
    if (!confirm()) return abandoned();
    const std::string name(interface_name);
    const auto error = [&catalog](const NetError& e) {
        const std::string text = net_error_text(e);
        return RoadReport{RoadReport::End::Failed, translate(catalog, "form.apply_failed"), text,
                          text};
    };

    const NetworkOverview overview = gather_network_overview(paths);
    if (auto ok = check_may_configure(name); !ok) return error(ok.error());
    const InterfaceInfo* info = find_interface(overview, name);
    if (info == nullptr)
        return error(NetError::message(fmt::format("interface {} not found", name)));

    const auto& addrs = info->addresses;
    const auto v4 =
        std::find_if(addrs.begin(), addrs.end(), [](const IfAddress& a) { return a.family == 4; });
    const auto v6 = std::find_if(addrs.begin(), addrs.end(),
                                 [](const IfAddress& a) { return a.family == 6 && !a.link_local; });
    if (v4 == addrs.end() && v6 == addrs.end())
        return error(NetError::message("no non-link-local addresses to freeze as static"));

    // Every value is checked, IPv4 first, before rc.conf is touched.
    RcPairs pairs;
    std::vector<std::string> summaries;
    const auto take = [&](Result<RcChange, NetError> change) -> Result<void, NetError> {
        if (!change) return fail(std::move(change.error()));
        pairs.insert(pairs.end(), change->pairs.begin(), change->pairs.end());
        summaries.push_back(std::move(change->summary));
        return {};
    };
    if (v4 != addrs.end()) {
        if (auto ok = take(frozen_ipv4_change(name, *v4, overview.ipv4_gateway)); !ok)
            return error(ok.error());
    }
    if (v6 != addrs.end()) {
        if (auto ok = take(frozen_ipv6_change(name, *v6, overview.ipv6_gateway)); !ok)
            return error(ok.error());
    }
    auto restarted = write_and_restart(paths, name, pairs);
    if (!restarted) return error(restarted.error());

    const std::string joined = fmt::format("{}", fmt::join(summaries, "\n  "));
    const std::string heading = fmt::format("Froze live config as static on {}:", name);
    return {RoadReport::End::Done, translate(catalog, "form.applied"),
            fmt::format("{}\n  {}\n{}", heading, joined, *restarted), heading};
}

}  // namespace tarnwick::app
