#include "app/network/netstat_routes.h"

#include <algorithm>
#include <string>

#include "core/text.h"

namespace tarnwick::app {
RouteTables parse_netstat_routes(std::string_view listing) {
    RouteTables tables;
    std::vector<RouteRow>* section = &tables.ipv4;
    // Where the section's header put "Netif" (the fourth column is Nhop# on
    // current releases and Use on old ones, never the interface).
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t netif_column = kNone;
    for (const std::string_view raw : split_lines(listing)) {
        const std::string_view line = trim(raw);
        if (line.starts_with("Internet6")) {
            section = &tables.ipv6;
            netif_column = kNone;
            continue;
        }
        if (line.starts_with("Internet:")) {
            section = &tables.ipv4;
            netif_column = kNone;
            continue;
        }
        if (line.starts_with("Destination")) {
            const auto words = split_words(line);
            const auto netif = std::find(words.begin(), words.end(), "Netif");
            netif_column =
                netif == words.end() ? kNone : static_cast<std::size_t>(netif - words.begin());
            continue;
        }
        if (line.empty() || line.starts_with("Routing tables")) continue;
        const auto words = split_words(line);
        if (words.size() < 4) continue;
        RouteRow row{std::string(words[0]), std::string(words[1]), std::string(words[2]),
                     std::string(words[3]), std::string(words[3])};
        if (netif_column < words.size()) {
            row.interface_name = std::string(words[netif_column]);
        }
        section->push_back(std::move(row));
    }
    return tables;
}

}  // namespace tarnwick::app
