#include "app/network/rc_conf.h"

#include "app/network/rc_conf_grammar.h"
#include "core/text.h"

namespace tarnwick::app {
namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

RcConf parse_rc_conf(std::string_view text) {
    RcConf conf;
    for (RcSetting& setting : scan_rc_conf(text).settings) {
        conf.insert_or_assign(std::move(setting.name), std::move(setting.value));
    }
    return conf;
}

std::string rc_ifconfig_key(std::string_view interface_name) {
    std::string key = "ifconfig_";
    for (const char c : interface_name) {
        key += (c == '.' || c == '-' || c == '/' || c == '+') ? '_' : c;
    }
    return key;
}

std::string rc_ifconfig_ipv6_key(std::string_view interface_name) {
    return rc_ifconfig_key(interface_name) + "_ipv6";
}

Ipv4Mode ipv4_mode_of(const std::optional<std::string>& value) {
    if (!value || value->empty()) return Ipv4Mode::Unknown;
    const std::string upper = ascii_uppercase(*value);
    if (contains(upper, "DHCP")) return Ipv4Mode::Dhcp;
    if (contains(upper, "INET")) return Ipv4Mode::Static;
    return Ipv4Mode::Unknown;
}

Ipv6Mode ipv6_mode_of(const std::optional<std::string>& value) {
    if (!value) return Ipv6Mode::Unknown;
    const std::string lower = ascii_lowercase(*value);
    if (contains(lower, "accept_rtadv")) return Ipv6Mode::Slaac;
    if (contains(lower, "inet6 ifdisabled")) return Ipv6Mode::Disabled;
    if (contains(lower, "inet6")) return Ipv6Mode::Static;
    if (lower.empty() || lower == "no") return Ipv6Mode::Disabled;
    return Ipv6Mode::Unknown;
}

}  // namespace tarnwick::app
