#pragma once
// The parser of `ifconfig -a` listings shared by the console's address list
// and the network panel.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/network/network_overview.h"

namespace tarnwick::app {

// What a header line holds after the interface name ("em0: flags=8843<UP,...").
inline constexpr std::string_view kIfconfigHeaderMark = ": flags=";

// One interface block: the header line and the body lines up to the next
// header. The block of body lines before the first header has no name.
struct IfconfigBlock {
    bool headed = false;  // false only for the lines before the first header
    std::string name;
    bool up = false;  // UP among the flags between "<" and ">" of the header
    std::string status;
    std::optional<std::string> mac;
    std::vector<IfAddress> addresses;
};

// Splits a listing (valid UTF-8) into its blocks. A header line does not
// begin with a blank or tab and contains `header_mark`; other lines are body
// lines: "ether", "status:", "inet" and "inet6" are read, the rest ignored.
std::vector<IfconfigBlock> parse_ifconfig_listing(
    std::string_view listing, std::string_view header_mark = kIfconfigHeaderMark);

// A netmask word as ifconfig prints it, made readable: eight hexadecimal
// digits (after any leading "0x") become a dotted mask; anything else stays.
std::string render_netmask(std::string_view word);

}  // namespace tarnwick::app
