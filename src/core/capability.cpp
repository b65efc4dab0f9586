#include "core/capability.h"

#include <array>
#include <utility>

namespace tarnwick {
namespace {

constexpr std::array<std::string_view, 7> kCapabilityNames = {
    "public", "session", "admin", "network.write", "power", "diagnostics.read", "secrets",
};

constexpr std::array<std::string_view, 11> kFieldTypeNames = {
    "text",      "password", "choice", "ipv4", "ipv6", "netmask",
    "prefixlen", "hostname", "port",   "user", "bool",
};

}  // namespace

std::optional<Capability> parse_capability(std::string_view text) {
    for (std::size_t i = 0; i < kCapabilityNames.size(); ++i) {
        if (text == kCapabilityNames[i]) {
            return static_cast<Capability>(i);
        }
    }
    if (text == "network_write") {
        return Capability::NetworkWrite;
    }
    if (text == "diagnostics_read") {
        return Capability::DiagnosticsRead;
    }
    return std::nullopt;
}

std::string_view capability_name(Capability capability) {
    return kCapabilityNames.at(static_cast<std::size_t>(capability));
}

std::optional<FieldType> parse_field_type(std::string_view text) {
    for (std::size_t i = 0; i < kFieldTypeNames.size(); ++i) {
        if (text == kFieldTypeNames[i]) {
            return static_cast<FieldType>(i);
        }
    }
    return std::nullopt;
}

std::string_view field_type_name(FieldType type) {
    return kFieldTypeNames.at(static_cast<std::size_t>(type));
}

}  // namespace tarnwick
