#pragma once
// The machine's network state as one plain record: interfaces from ifconfig,
// routes from netstat, settings from /etc/rc.conf and name servers from
// /etc/resolv.conf.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::app {

// One address of an interface as ifconfig lists it.
struct IfAddress {
    std::string address;  // an IPv6 address without its zone suffix
    std::string mask;     // "netmask <dotted>", "prefixlen <n>" or empty
    bool link_local = false;
    std::uint8_t family = 4;  // 4 or 6

    bool operator==(const IfAddress&) const = default;
};

enum class Ipv4Mode : std::uint8_t { Dhcp = 0, Static = 1, Unknown = 2 };
enum class Ipv6Mode : std::uint8_t { Slaac = 0, Static = 1, Disabled = 2, Unknown = 3 };
enum class Ipv6Scope : std::uint8_t { LinkLocal = 0, UniqueLocal = 1, Global = 2 };

struct InterfaceInfo {
    std::string name;
    std::string status;  // empty when ifconfig printed no status line
    std::vector<IfAddress> addresses;
    std::optional<std::string> mac;
    std::optional<std::string> rc_ipv4;  // raw rc.conf value of ifconfig_<if>
    std::optional<std::string> rc_ipv6;  // raw rc.conf value of ifconfig_<if>_ipv6
    bool up = false;
    Ipv4Mode ipv4_mode = Ipv4Mode::Unknown;
    Ipv6Mode ipv6_mode = Ipv6Mode::Unknown;

    bool operator==(const InterfaceInfo&) const = default;
};

// One line of the routing table: its first four columns, and the interface
// the route leaves through (the "Netif" column of its section, else the
// fourth column).
struct RouteRow {
    std::string destination;
    std::string gateway;
    std::string flags;
    std::string fourth_column;
    std::string interface_name;

    bool operator==(const RouteRow&) const = default;
};

struct NetworkOverview {
    std::string hostname;
    std::vector<InterfaceInfo> interfaces;  // virtual and loopback ones left out
    std::vector<RouteRow> ipv4_routes;
    std::vector<RouteRow> ipv6_routes;
    std::vector<std::string> nameservers;
    std::vector<std::string> search_domains;
    std::string rc_conf_path;
    std::optional<std::string> ipv4_gateway;
    std::optional<std::string> ipv6_gateway;

    bool operator==(const NetworkOverview&) const = default;
};

}  // namespace tarnwick::app
