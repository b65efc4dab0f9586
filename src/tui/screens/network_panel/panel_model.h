#pragma once
// What the network panel shows: display texts built from the machine's
// network state before each showing (the builder lives with the network
// code), and what the panel hands back when it ends.

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace tarnwick::tui {

// One interface as the panel shows and edits it.
struct InterfaceView {
    std::string name;
    std::string status;       // the link status line, empty when ifconfig printed none
    std::string mac;          // "—" without a hardware address
    std::string ipv4_mode;    // "DHCP", "Static" or "Unknown"
    std::string ipv6_mode;    // "SLAAC", "Static" or "Disabled"
    std::string ipv6_status;  // translated
    std::vector<std::string> ipv4_live;
    std::vector<std::string> ipv6_global;
    std::vector<std::string> ipv6_ula;
    std::vector<std::string> ipv6_link_local;
    // The values that seed the edit forms.
    std::string ipv4_address;
    std::string ipv4_netmask;
    std::string ipv4_gateway;
    std::string ipv6_address;
    std::string ipv6_prefix;
    std::string ipv6_gateway;
    bool up = false;

    bool operator==(const InterfaceView&) const = default;
};

struct NetworkPanelModel {
    std::string hostname;
    std::string ipv4_gateway;  // "—" when there is none
    std::string ipv6_gateway;  // "—" when there is none
    std::vector<std::string> nameservers;
    std::string search_domains;  // joined with one blank
    std::vector<InterfaceView> interfaces;

    bool operator==(const NetworkPanelModel&) const = default;
};

// The panel's two forms, one per address family (and its two tabs).
enum class IfaceFamily : std::uint8_t { Ipv4, Ipv6 };

using FormPairs = std::vector<std::pair<std::string, std::string>>;

// What the panel returns: the user left it, asked to apply the edited form of
// one family (with the requested up/down state), or asked to freeze an
// interface's live addresses as its configuration.
struct PanelBack {
    bool operator==(const PanelBack&) const = default;
};
struct PanelApply {
    std::string interface_name;
    FormPairs pairs;  // the apply payload of the form
    bool enabled = true;
    IfaceFamily family = IfaceFamily::Ipv4;  // the tab the form was on

    bool operator==(const PanelApply&) const = default;
};
struct PanelMakeStatic {
    std::string interface_name;

    bool operator==(const PanelMakeStatic&) const = default;
};
using PanelOutcome = std::variant<PanelBack, PanelApply, PanelMakeStatic>;

}  // namespace tarnwick::tui
