#pragma once
// A network overview as readable lines, so tests compare whole overviews
// with a text that shows what differs.

#include <string>

#include "app/network/network_overview.h"

namespace tarnwick::test {

inline std::string optional_text(const std::optional<std::string>& value) {
    return value ? "\"" + *value + "\"" : "absent";
}

inline const char* mode_name(app::Ipv4Mode mode) {
    switch (mode) {
        case app::Ipv4Mode::Dhcp:
            return "Dhcp";
        case app::Ipv4Mode::Static:
            return "Static";
        case app::Ipv4Mode::Unknown:
            return "Unknown";
    }
    return "?";
}

inline const char* mode_name(app::Ipv6Mode mode) {
    switch (mode) {
        case app::Ipv6Mode::Slaac:
            return "Slaac";
        case app::Ipv6Mode::Static:
            return "Static";
        case app::Ipv6Mode::Disabled:
            return "Disabled";
        case app::Ipv6Mode::Unknown:
            return "Unknown";
    }
    return "?";
}

inline std::string dump_routes(const char* family, const std::vector<app::RouteRow>& rows) {
    std::string out;
    for (const app::RouteRow& r : rows) {
        out += std::string(family) + " " + r.destination + " " + r.gateway + " " + r.flags + " " +
               r.fourth_column + " via " + r.interface_name + "\n";
    }
    return out;
}

inline std::string dump_overview(const app::NetworkOverview& o) {
    std::string out = "hostname " + o.hostname + "\n";
    for (const app::InterfaceInfo& i : o.interfaces) {
        out += "interface " + i.name + (i.up ? " up" : " down") + " status=\"" + i.status +
               "\" mac=" + optional_text(i.mac) + "\n";
        out += "  ipv4 " + std::string(mode_name(i.ipv4_mode)) + " rc=" + optional_text(i.rc_ipv4) +
               "\n";
        out += "  ipv6 " + std::string(mode_name(i.ipv6_mode)) + " rc=" + optional_text(i.rc_ipv6) +
               "\n";
        for (const app::IfAddress& a : i.addresses) {
            out += "  address " + std::to_string(a.family) + " " + a.address + " [" + a.mask + "]" +
                   (a.link_local ? " link-local" : "") + "\n";
        }
    }
    out += dump_routes("route4", o.ipv4_routes);
    out += dump_routes("route6", o.ipv6_routes);
    out += "gateway4 " + optional_text(o.ipv4_gateway) + "\n";
    out += "gateway6 " + optional_text(o.ipv6_gateway) + "\n";
    for (const std::string& n : o.nameservers) out += "nameserver " + n + "\n";
    for (const std::string& s : o.search_domains) out += "search " + s + "\n";
    out += "rc_conf " + o.rc_conf_path + "\n";
    return out;
}

}  // namespace tarnwick::test
