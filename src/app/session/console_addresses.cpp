#include "app/session/console_addresses.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>

#include "core/text.h"
#include "platform/command.h"

namespace tarnwick::app {
namespace {

constexpr std::array<std::string_view, 22> kExcludedPrefixes = {
    "tap",    "epair",  "bridge", "vnet",  "vm-",    "tun",      "wg",   "pflog",
    "pfsync", "enc",    "ipfw",   "ipsec", "gif",    "gre",      "lagg", "vlan",
    "usbus",  "docker", "cni",    "veth",  "podman", "bastille",
};

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool is_header_line(std::string_view line) {
    return !line.empty() && line[0] != '\t' && line[0] != ' ' &&
           line.find(": flags") != std::string_view::npos;
}

std::string_view first_word(std::string_view text) {
    const auto words = split_words(text);
    return words.empty() ? std::string_view() : words.front();
}

bool is_shown_ipv4(std::string_view text) {
    if (!is_dotted_ipv4(text)) return false;
    if (starts_with(text, "127.") || starts_with(text, "169.254.")) return false;
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

// The shown address on one body line, or nothing.
std::string_view address_on_line(std::string_view line) {
    const std::string_view body = trim(line);
    if (starts_with(body, "inet ")) {
        const std::string_view candidate = first_word(body.substr(5));
        return is_shown_ipv4(candidate) ? candidate : std::string_view();
    }
    if (starts_with(body, "inet6 ")) {
        std::string_view candidate = first_word(body.substr(6));
        candidate = candidate.substr(0, candidate.find('%'));
        return is_shown_ipv6(candidate) ? candidate : std::string_view();
    }
    return {};
}

}  // namespace

bool is_excluded_console_interface(std::string_view name) {
    if (starts_with(name, "lo")) return true;
    return std::any_of(kExcludedPrefixes.begin(), kExcludedPrefixes.end(),
                       [name](std::string_view prefix) { return starts_with(name, prefix); });
}

bool is_dotted_ipv4(std::string_view text) {
    int parts = 0;
    std::size_t pos = 0;
    while (true) {
        const std::size_t dot = text.find('.', pos);
        const std::string_view part =
            text.substr(pos, dot == std::string_view::npos ? dot : dot - pos);
        if (part.empty() || part.size() > 3) return false;
        if (!std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        if (part.size() > 1 && part[0] == '0') return false;
        int value = 0;
        for (char c : part) value = value * 10 + (c - '0');
        if (value > 255) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        pos = dot + 1;
    }
    return parts == 4;
}

std::vector<std::string> parse_console_addresses(std::string_view listing) {
    std::vector<std::string> found;
    bool skipped = false;  // lines before the first header count as shown
    std::size_t start = 0;
    while (start < listing.size()) {
        std::size_t end = listing.find('\n', start);
        if (end == std::string_view::npos) end = listing.size();
        std::string_view line = listing.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (is_header_line(line)) {
            skipped = is_excluded_console_interface(line.substr(0, line.find(':')));
            continue;
        }
        if (skipped) continue;
        const std::string_view address = address_on_line(line);
        if (!address.empty() && std::find(found.begin(), found.end(), address) == found.end()) {
            found.emplace_back(address);
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
    const auto listing = platform::run_command("ifconfig", {"-a"});
    if (!listing || !listing->success()) return {};
    return parse_console_addresses(listing->out_text());
}

}  // namespace tarnwick::app
