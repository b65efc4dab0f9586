#include "app/session/console_addresses.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>

#include "app/network/ifconfig_listing.h"
#include "app/network/ip_text.h"
#include "platform/command.h"

namespace tarnwick::app {
namespace {

constexpr std::array<std::string_view, 22> kExcludedPrefixes = {
    "tap",    "epair",  "bridge", "vnet",  "vm-",    "tun",      "wg",   "pflog",
    "pfsync", "enc",    "ipfw",   "ipsec", "gif",    "gre",      "lagg", "vlan",
    "usbus",  "docker", "cni",    "veth",  "podman", "bastille",
};

// Header lines as the console has always recognised them.
constexpr std::string_view kConsoleHeaderMark = ": flags";

bool is_shown_ipv4(std::string_view text) {
    if (!is_dotted_ipv4(text)) return false;
    if (text.starts_with("127.") || text.starts_with("169.254.")) return false;
    return text != "0.0.0.0";
}

bool is_shown_ipv6(std::string_view text) {
    const std::string address(text);
    std::array<unsigned char, 16> bytes{};
    if (::inet_pton(AF_INET6, address.c_str(), bytes.data()) != 1) return false;
    const bool all_zero_but_last =
        std::all_of(bytes.begin(), bytes.end() - 1, [](unsigned char b) { return b == 0; });
    if (all_zero_but_last && (bytes[15] == 0 || bytes[15] == 1)) return false;  // :: and ::1
    const bool link_local = bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80;
    return !link_local;
}

bool is_shown(const IfAddress& a) {
    return a.family == 4 ? is_shown_ipv4(a.address) : is_shown_ipv6(a.address);
}

}  // namespace

bool is_excluded_console_interface(std::string_view name) {
    if (name.starts_with("lo")) return true;
    return std::any_of(kExcludedPrefixes.begin(), kExcludedPrefixes.end(),
                       [name](std::string_view prefix) { return name.starts_with(prefix); });
}

std::vector<std::string> parse_console_addresses(std::string_view listing) {
    std::vector<std::string> found;
    // Lines before the first header count as shown.
    for (const IfconfigBlock& block : parse_ifconfig_listing(listing, kConsoleHeaderMark)) {
        if (block.headed && is_excluded_console_interface(block.name)) continue;
        for (const IfAddress& a : block.addresses) {
            if (is_shown(a) && std::find(found.begin(), found.end(), a.address) == found.end()) {
                found.push_back(a.address);
            }
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        const bool a6 = a.find(':') != std::string::npos;
        const bool b6 = b.find(':') != std::string::npos;
        if (a6 != b6) return !a6;
        return a < b;
    });
    return found;
}

std::vector<std::string> console_addresses() {
    platform::CommandSet commands;
    return console_addresses(commands, start_address_listing(commands));
}

platform::CommandSet::Handle start_address_listing(platform::CommandSet& commands) {
    return commands.start("ifconfig", {"-a"});
}

std::vector<std::string> console_addresses(platform::CommandSet& commands,
                                           platform::CommandSet::Handle listing) {
    const auto output = commands.finish(listing);
    if (!output || !output->success()) return {};
    return parse_console_addresses(output->out_text());
}

}  // namespace tarnwick::app
