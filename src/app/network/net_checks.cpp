#include "app/network/net_checks.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/network/address_rules.h"
#include "app/network/ip_text.h"
#include "core/text.h"

namespace tarnwick::app {
namespace {

// Characters that end or expand a double-quoted shell word, and controls
// (C0, DEL, C1) that would break the line or the terminal showing it.
bool unsafe_in_double_quotes(char32_t cp) {
    return cp == '"' || cp == '\\' || cp == '$' || cp == '`' || is_control_char(cp);
}

}  // namespace

Result<void, NetError> check_ipv4(std::string_view text) {
    if (is_dotted_ipv4(text)) return {};
    return fail(NetError::message("invalid IPv4 address: " + std::string(text)));
}

Result<void, NetError> check_netmask(std::string_view text) {
    if (auto dotted = check_ipv4(text); !dotted) return dotted;
    std::uint32_t bits = 0;
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t dot = rest.find('.');
        std::uint32_t byte = 0;
        for (char c : rest.substr(0, dot)) byte = byte * 10 + static_cast<std::uint32_t>(c - '0');
        bits = (bits << 8) | byte;
        rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
    }
    const std::uint32_t host = ~bits;
    if (bits == 0 || (host & (host + 1)) != 0) {
        return fail(NetError::message("invalid IPv4 address: " + std::string(text)));
    }
    return {};
}

Result<void, NetError> check_interface_name(std::string_view name) {
    // A leading "-" would reach ifconfig and service as an option.
    const bool valid =
        !name.empty() && name.front() != '-' && std::all_of(name.begin(), name.end(), [](char c) {
            return is_ascii_alnum(c) || c == '-' || c == '_';
        });
    if (!valid) return fail(NetError::message("invalid interface name"));
    if (is_virtual_interface(name)) {
        return fail(NetError::message("refusing to configure virtual/loopback interface"));
    }
    return {};
}

Result<void, NetError> check_may_configure(std::string_view interface_name) {
    if (::geteuid() != 0) return fail(NetError::not_root());
    return check_interface_name(interface_name);
}

Result<void, NetError> check_rc_value(std::string_view key, std::string_view value) {
    bool safe = is_valid_utf8(value);
    for (std::size_t pos = 0; safe && pos < value.size();) {
        const auto cp = next_code_point(value, pos);
        safe = cp && !unsafe_in_double_quotes(*cp);
    }
    if (safe) return {};
    return fail(NetError::message("invalid value for " + std::string(key)));
}

Result<void, NetError> check_rc_key(std::string_view key) {
    const bool valid =
        !key.empty() && !(key[0] >= '0' && key[0] <= '9') &&
        std::all_of(key.begin(), key.end(), [](char c) { return is_ascii_alnum(c) || c == '_'; });
    if (valid) return {};
    return fail(NetError::message("invalid rc.conf key: " + std::string(key)));
}

}  // namespace tarnwick::app
