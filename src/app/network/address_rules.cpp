#include "app/network/address_rules.h"

#include <algorithm>
#include <array>

#include "core/text.h"

namespace tarnwick::app {
namespace {

constexpr std::array<std::string_view, 19> kVirtualPrefixes = {
    "tap",  "epair", "bridge", "vnet", "vm-",   "tun",    "wg",  "pflog", "pfsync", "enc",
    "ipfw", "ipsec", "gif",    "gre",  "usbus", "docker", "cni", "veth",  "podman",
};

}  // namespace

bool is_virtual_interface(std::string_view name) {
    while (!name.empty() && name.back() == ':') name.remove_suffix(1);
    if (name.empty()) return false;
    if (name.starts_with("lo")) return true;  // lo0 and every other loopback
    return std::any_of(kVirtualPrefixes.begin(), kVirtualPrefixes.end(),
                       [name](std::string_view prefix) { return name.starts_with(prefix); });
}

Ipv6Scope ipv6_scope(std::string_view address) {
    const std::string text = ascii_lowercase(address.substr(0, address.find('%')));
    if (text.starts_with("fe80:")) return Ipv6Scope::LinkLocal;
    if (text.starts_with("fc") || text.starts_with("fd")) return Ipv6Scope::UniqueLocal;
    return Ipv6Scope::Global;
}

std::optional<std::string> mask_value(std::string_view mask, std::string_view word) {
    if (!mask.starts_with(word)) return std::nullopt;
    return std::string(mask.substr(word.size()));
}

std::string format_address(const IfAddress& address) {
    if (address.mask.empty()) return address.address;
    for (const std::string_view word : {"prefixlen ", "netmask "}) {
        if (auto value = mask_value(address.mask, word)) return address.address + "/" + *value;
    }
    return address.address + " " + address.mask;
}

std::vector<const IfAddress*> ula_addresses(const std::vector<IfAddress>& addresses) {
    std::vector<const IfAddress*> out;
    for (const IfAddress& a : addresses) {
        if (a.family == 6 && ipv6_scope(a.address) == Ipv6Scope::UniqueLocal) out.push_back(&a);
    }
    return out;
}

std::vector<const IfAddress*> global_addresses(const std::vector<IfAddress>& addresses) {
    std::vector<const IfAddress*> out;
    for (const IfAddress& a : addresses) {
        if (a.family == 6 && !a.link_local && ipv6_scope(a.address) == Ipv6Scope::Global) {
            out.push_back(&a);
        }
    }
    return out;
}

}  // namespace tarnwick::app
