#include "app/network/panel_model.h"

#include "app/network/address_rules.h"
#include "core/catalog.h"

#include <fmt/format.h>

#include <string_view>

namespace tarnwick::app {
namespace {

constexpr std::string_view kNone = "—";

std::string ipv4_mode_word(Ipv4Mode mode) {
    switch (mode) {
        case Ipv4Mode::Dhcp:
            return "DHCP";
        case Ipv4Mode::Static:
            return "Static";
        case Ipv4Mode::Unknown:
            break;
    }
    return "Unknown";
}

// An unknown IPv6 setting is what FreeBSD does without one: SLAAC.
std::string ipv6_mode_word(Ipv6Mode mode) {
    switch (mode) {
        case Ipv6Mode::Static:
            return "Static";
        case Ipv6Mode::Disabled:
            return "Disabled";
        case Ipv6Mode::Slaac:
        case Ipv6Mode::Unknown:
            break;
    }
    return "SLAAC";
}

std::string_view ipv6_status_key(Ipv6Mode mode, bool has_global, bool has_ula) {
    switch (mode) {
        case Ipv6Mode::Slaac:
            return has_global || has_ula ? "net.ipv6.status.slaac_active"
                                         : "net.ipv6.status.slaac_waiting";
        case Ipv6Mode::Static:
            return "net.ipv6.status.static";
        case Ipv6Mode::Disabled:
            return "net.ipv6.status.disabled";
        case Ipv6Mode::Unknown:
            break;
    }
    return has_global ? "net.ipv6.status.slaac_active" : "net.mode.unknown";
}

std::vector<std::string> formatted(const std::vector<const IfAddress*>& addresses) {
    std::vector<std::string> out;
    for (const IfAddress* address : addresses) out.push_back(format_address(*address));
    return out;
}

}  // namespace

tui::InterfaceView build_interface_view(const InterfaceInfo& info, const NetworkOverview& overview,
                                        const Catalog& catalog) {
    tui::InterfaceView v;
    v.name = info.name;
    v.status = info.status;
    v.mac = info.mac.value_or(std::string(kNone));
    v.ipv4_mode = ipv4_mode_word(info.ipv4_mode);
    v.ipv6_mode = ipv6_mode_word(info.ipv6_mode);

    const auto global = global_addresses(info.addresses);
    const auto ula = ula_addresses(info.addresses);
    v.ipv6_status =
        translate(catalog, ipv6_status_key(info.ipv6_mode, !global.empty(), !ula.empty()));
    v.ipv6_global = formatted(global);
    v.ipv6_ula = formatted(ula);

    const IfAddress* first_v4 = nullptr;
    for (const IfAddress& address : info.addresses) {
        if (address.family == 4) {
            v.ipv4_live.push_back(format_address(address));
            if (first_v4 == nullptr) first_v4 = &address;
        } else if (address.link_local) {
            v.ipv6_link_local.push_back(format_address(address));
        }
    }
    if (first_v4 != nullptr) {
        v.ipv4_address = first_v4->address;
        // A mask without its leading word is taken whole.
        v.ipv4_netmask = mask_value(first_v4->mask, "netmask ").value_or(first_v4->mask);
    } else {
        v.ipv4_netmask = "255.255.255.0";
    }
    v.ipv4_gateway = overview.ipv4_gateway.value_or("");

    const IfAddress* seed = !global.empty() ? global.front() : !ula.empty() ? ula.front() : nullptr;
    v.ipv6_prefix = "64";
    if (seed != nullptr) {
        v.ipv6_address = seed->address;
        if (auto prefix = mask_value(seed->mask, "prefixlen ")) v.ipv6_prefix = *prefix;
    }
    v.ipv6_gateway = overview.ipv6_gateway.value_or("");
    v.up = info.up;
    return v;
}

tui::NetworkPanelModel build_panel_model(const NetworkOverview& overview, const Catalog& catalog) {
    tui::NetworkPanelModel m;
    m.hostname = overview.hostname;
    m.ipv4_gateway = overview.ipv4_gateway.value_or(std::string(kNone));
    m.ipv6_gateway = overview.ipv6_gateway.value_or(std::string(kNone));
    m.nameservers = overview.nameservers;
    m.search_domains = fmt::format("{}", fmt::join(overview.search_domains, " "));
    for (const InterfaceInfo& info : overview.interfaces)
        m.interfaces.push_back(build_interface_view(info, overview, catalog));
    return m;
}

}  // namespace tarnwick::app
