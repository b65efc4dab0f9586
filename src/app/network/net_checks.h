#pragma once
// What is checked before the network configuration is changed.

#include <string_view>

#include "app/network/net_error.h"
#include "core/result.h"

namespace tarnwick::app {

// A dotted IPv4 address, else "invalid IPv4 address: <text>".
Result<void, NetError> check_ipv4(std::string_view text);

// A dotted IPv4 netmask whose one bits all come first, at least one of them
// (255.255.255.0 yes, 255.0.255.0 and 0.0.0.0 no), else
// "invalid IPv4 address: <text>".
Result<void, NetError> check_netmask(std::string_view text);

// ASCII letters, digits, "-" and "_", not beginning with "-" ("invalid
// interface name"), and no loopback or virtual interface ("refusing to
// configure virtual/loopback interface").
Result<void, NetError> check_interface_name(std::string_view name);

// The first steps of every change: the process runs as root (`NotRoot`),
// then the interface name passes `check_interface_name`.
Result<void, NetError> check_may_configure(std::string_view interface_name);

// A value that can stand between double quotes in a shell assignment: no
// `"`, `\`, `$`, backquote or control character, valid UTF-8; else
// "invalid value for <key>".
Result<void, NetError> check_rc_value(std::string_view key, std::string_view value);

// A shell variable name (letters, digits, "_", not beginning with a digit);
// else "invalid rc.conf key: <key>".
Result<void, NetError> check_rc_key(std::string_view key);

}  // namespace tarnwick::app
