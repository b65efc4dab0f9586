#pragma once
// The routing tables of `netstat -rnW`.

#include <string_view>
#include <vector>

#include "app/network/network_overview.h"

namespace tarnwick::app {

struct RouteTables {
    std::vector<RouteRow> ipv4;
    std::vector<RouteRow> ipv6;

    bool operator==(const RouteTables&) const = default;
};

// Rows of the "Internet:" and "Internet6:" sections (IPv4 until a section
// line says otherwise); title, header and short lines skipped. A row's
// interface is its word under the section's "Netif" header, else its fourth
// word. Text must be valid UTF-8.
RouteTables parse_netstat_routes(std::string_view listing);

}  // namespace tarnwick::app
