#include "core/capability.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(Capability, ParsesExactSpellingsOnly) {
    const struct {
        std::string_view text;
        std::optional<Capability> expected;
    } cases[] = {
        {"public", Capability::Public},
        {"session", Capability::Session},
        {"admin", Capability::Admin},
        {"network.write", Capability::NetworkWrite},
        {"network_write", Capability::NetworkWrite},
        {"power", Capability::Power},
        {"diagnostics.read", Capability::DiagnosticsRead},
        {"diagnostics_read", Capability::DiagnosticsRead},
        {"secrets", Capability::Secrets},
        {"", std::nullopt},
        {"Admin", std::nullopt},
        {" admin", std::nullopt},
        {"admin ", std::nullopt},
        {"network-write", std::nullopt},
        {"diagnostics", std::nullopt},
        {"power_", std::nullopt},
        {"session_", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_capability(c.text), c.expected) << c.text;
    }
}

TEST(Capability, NamesAreCanonicalAndKeepValueOrder) {
    EXPECT_EQ(capability_name(*parse_capability("network_write")), "network.write");
    EXPECT_EQ(capability_name(*parse_capability("diagnostics_read")), "diagnostics.read");
    EXPECT_EQ(static_cast<int>(Capability::NetworkWrite), 3);
    EXPECT_EQ(static_cast<int>(Capability::DiagnosticsRead), 5);
    for (int i = 0; i <= static_cast<int>(Capability::Secrets); ++i) {
        auto capability = static_cast<Capability>(i);
        EXPECT_EQ(parse_capability(capability_name(capability)), capability);
    }
}

TEST(FieldType, ParsesExactNamesOnly) {
    for (std::string_view name : {"text", "password", "choice", "ipv4", "ipv6", "netmask",
                                  "prefixlen", "hostname", "port", "user", "bool"}) {
        auto type = parse_field_type(name);
        ASSERT_TRUE(type) << name;
        EXPECT_EQ(field_type_name(*type), name);
    }
    EXPECT_EQ(parse_field_type("password"), FieldType::Password);
    for (std::string_view rejected : {"", "PASSWORD", "Password", "integer", " text"}) {
        EXPECT_FALSE(parse_field_type(rejected)) << rejected;
    }
}

}  // namespace
}  // namespace tarnwick
