#pragma once
// The access capabilities and input field types that templates, the binding
// registry and the access policy share. Both parse by exact name; an unknown
// name gives no value and the caller reports its own error.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwick {

// Declaration order is the value order used in ordered sets of capabilities.
enum class Capability : std::uint8_t {
    Public,
    Session,
    Admin,
    NetworkWrite,
    Power,
    DiagnosticsRead,
    Secrets,
};

enum class FieldType : std::uint8_t {
    Text,
    Password,
    Choice,
    Ipv4,
    Ipv6,
    Netmask,
    Prefixlen,
    Hostname,
    Port,
    User,
    Bool,
};

// Canonical name, or the underscore spelling of network.write and
// diagnostics.read; byte for byte, no trimming.
std::optional<Capability> parse_capability(std::string_view text);

// The canonical name ("network.write", ...).
std::string_view capability_name(Capability capability);

std::optional<FieldType> parse_field_type(std::string_view text);

std::string_view field_type_name(FieldType type);

}  // namespace tarnwick
