#pragma once
// /etc/rc.conf as the network configuration reads it: its settings, and the
// keys under which rc.d looks up an interface's settings.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "app/network/network_overview.h"

namespace tarnwick::app {

// Key to value, the last assignment of a key winning, as /bin/sh would have it.
using RcConf = std::map<std::string, std::string, std::less<>>;

// The settings of the lines that fit the rc.conf grammar (rc_conf_grammar.h),
// each value as the shell assigns it; every other line is skipped, so that
// reading never fails. Text must be valid UTF-8.
RcConf parse_rc_conf(std::string_view text);

// "ifconfig_<if>" and "ifconfig_<if>_ipv6" as rc.d reads them: ".", "-", "/"
// and "+" in the interface name become "_".
std::string rc_ifconfig_key(std::string_view interface_name);
std::string rc_ifconfig_ipv6_key(std::string_view interface_name);

// The configured modes by the words in a value (absent: not configured).
Ipv4Mode ipv4_mode_of(const std::optional<std::string>& value);
Ipv6Mode ipv6_mode_of(const std::optional<std::string>& value);

}  // namespace tarnwick::app
