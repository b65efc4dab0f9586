#include "template/bindings/binding_store.h"

#include "core/access_policy.h"
#include "template/pages/result_page.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <limits>

namespace tarnwick::tmpl {
namespace {

using Caps = std::set<Capability>;

// The display text, or the error's text prefixed by its kind.
std::string shown(const BindingStore& store, std::string_view key, const Caps& viewer) {
    auto r = resolve_for_display(store, key, viewer);
    if (r) return *r;
    return (r.error().kind == BindingError::Kind::Unresolved ? "unresolved: " : "denied: ") +
           r.error().text;
}

TEST(BindingRegistry, HoldsEveryKnownKeyWithItsAccessWords) {
    const BindingStore store = register_binding_keys();
    EXPECT_EQ(store.registry.size(), 220u);
    EXPECT_TRUE(store.values.empty());
    struct Case {
        const char* key;
        BindingMeta meta;
    };
    const Case cases[] = {
        {"sys.hostname", {true, false, Capability::Session, Capability::Session}},
        {"sys.address_count", {true, false, Capability::Session, Capability::Session}},
        {"sys.addr.0.address", {true, false, Capability::Session, Capability::Session}},
        {"sys.addr.31.iface", {true, false, Capability::Session, Capability::Session}},
        {"iface.live", {true, false, Capability::Session, Capability::Session}},
        {"iface.ipv6_gateway", {false, false, Capability::Session, Capability::NetworkWrite}},
        {"host.dns.15", {true, false, Capability::Session, Capability::Session}},
        {"net.if.15.summary", {true, false, Capability::Session, Capability::Session}},
        {"page.title", {true, false, Capability::Public, Capability::Public}},
        {"status", {true, false, Capability::Public, Capability::Public}},
        {"login.password", {false, true, Capability::Secrets, Capability::Secrets}},
        {"login.user", {false, false, Capability::Public, Capability::Public}},
        {"diag.ring_max", {true, false, Capability::DiagnosticsRead, Capability::DiagnosticsRead}},
        {"result.detail.31", {true, false, Capability::Session, Capability::Session}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const auto found = store.registry.find(c.key);
        ASSERT_NE(found, store.registry.end());
        EXPECT_EQ(found->second, c.meta);
    }
    for (const char* absent :
         {"sys.addr.32.address", "host.dns.16", "net.if.16.name", "result.detail.32",
          "Sys.hostname", "sys.hostname ", "sys.addr.00.address", ""}) {
        EXPECT_EQ(store.registry.count(absent), 0u) << absent;
    }
}

TEST(BindingRegistry, ResolvesByTheViewersCapabilitiesRegistryFirst) {
    BindingStore store = register_binding_keys();
    ASSERT_TRUE(set_binding(store, "sys.hostname", BindingValue::text("fw1")));
    ASSERT_TRUE(set_binding(store, "login.password", BindingValue::secret("hunter2")));
    const Caps user = user_access(false).capabilities;
    const Caps admin = user_access(true).capabilities;
    const Caps none;
    const Caps everything = {Capability::Public, Capability::Session, Capability::DiagnosticsRead,
                             Capability::Secrets};
    struct Case {
        const char* key;
        std::string as_user;
        std::string as_admin;
        std::string as_nobody;
        std::string as_everything;
    };
    const Case cases[] = {
        {"sys.hostname", "fw1", "fw1", "denied: missing capability session", "fw1"},
        {"sys.uptime", "", "", "denied: missing capability session", ""},
        {"page.title", "denied: missing capability public", "denied: missing capability public",
         "denied: missing capability public", ""},
        {"login.user", "denied: missing capability public", "denied: missing capability public",
         "denied: missing capability public", ""},
        {"diag.path", "denied: missing capability diagnostics.read",
         "denied: missing capability diagnostics.read",
         "denied: missing capability diagnostics.read", ""},
        {"login.password", "denied: missing capability secrets",
         "denied: missing capability secrets", "denied: missing capability secrets", "*******"},
        {"iface.ipv4_address", "", "", "denied: missing capability session", ""},
        // The registry is asked before the capability.
        {"sys.addr.32.address", "unresolved: sys.addr.32.address",
         "unresolved: sys.addr.32.address", "unresolved: sys.addr.32.address",
         "unresolved: sys.addr.32.address"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(shown(store, c.key, user), c.as_user);
        EXPECT_EQ(shown(store, c.key, admin), c.as_admin);
        EXPECT_EQ(shown(store, c.key, none), c.as_nobody);
        EXPECT_EQ(shown(store, c.key, everything), c.as_everything);
    }
}

TEST(BindingRegistry, SetsRegisteredKeysOnlyAndKeepsTheLastValue) {
    BindingStore store = register_binding_keys();
    const auto missing = set_binding(store, "sys.addr.32.address", BindingValue::text("x"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(),
              (BindingError{BindingError::Kind::Unresolved, "sys.addr.32.address"}));
    EXPECT_EQ(display_binding_error(missing.error()), "unresolved binding: sys.addr.32.address");
    EXPECT_TRUE(store.values.empty());

    EXPECT_TRUE(
        set_binding_owned(store, fmt::format("sys.addr.{}.iface", 31), BindingValue::text("em0")));
    // No access word stops a write: read-only and secret keys take any value.
    EXPECT_TRUE(set_binding(store, "login.password", BindingValue::text("in clear")));
    EXPECT_TRUE(set_binding(store, "sys.os", BindingValue::text("first")));
    EXPECT_TRUE(set_binding(store, "sys.os", BindingValue::integer(2)));
    const Caps all = {Capability::Session, Capability::Secrets};
    EXPECT_EQ(shown(store, "sys.addr.31.iface", all), "em0");
    EXPECT_EQ(shown(store, "sys.os", all), "2");
    // Masking follows the value's kind, not the key's secret word.
    EXPECT_EQ(shown(store, "login.password", all), "in clear");
}

TEST(BindingValueFormat, ShowsEachKind) {
    struct Case {
        BindingValue value;
        std::string text;
    };
    const Case cases[] = {
        {BindingValue::empty(), ""},
        {BindingValue::text("em0 up"), "em0 up"},
        {BindingValue::text(""), ""},
        {BindingValue::secret(std::string(40, 'x')), std::string(32, '*')},
        {BindingValue::secret(std::string(32, 'x')), std::string(32, '*')},
        {BindingValue::secret("äöü"), "***"},  // characters, not bytes
        {BindingValue::secret("日本"), "**"},
        {BindingValue::secret(""), ""},
        {BindingValue::boolean(true), "yes"},
        {BindingValue::boolean(false), "no"},
        {BindingValue::integer(0), "0"},
        {BindingValue::integer(-5), "-5"},
        {BindingValue::integer(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808"},
        {BindingValue::integer(std::numeric_limits<std::int64_t>::max()), "9223372036854775807"},
    };
    for (const Case& c : cases) EXPECT_EQ(format_binding_value(c.value), c.text) << c.text;
    EXPECT_EQ(text_or_empty_binding(""), BindingValue::empty());
    EXPECT_EQ(text_or_empty_binding("a"), BindingValue::text("a"));
    EXPECT_EQ(text_binding(""), BindingValue::text(""));
}

TEST(BindResult, BindsTheOutcomeAndTheFirst32DetailValues) {
    OperationResult result{"", "Configuration applied", {}, true};
    for (int i = 0; i < 40; ++i) {
        result.details.emplace_back(fmt::format("step_{}", i),
                                    i == 3 ? std::string() : fmt::format("line {}", i));
    }
    BindingStore store = register_binding_keys();
    ASSERT_TRUE(bind_result(result, store));
    EXPECT_EQ(store.values.at("result.success"), BindingValue::boolean(true));
    EXPECT_EQ(store.values.at("result.title"), BindingValue::empty());
    EXPECT_EQ(store.values.at("result.summary"), BindingValue::text("Configuration applied"));
    EXPECT_EQ(store.values.at("result.detail.0"), BindingValue::text("line 0"));
    EXPECT_EQ(store.values.at("result.detail.3"), BindingValue::empty());
    EXPECT_EQ(store.values.at("result.detail.31"), BindingValue::text("line 31"));
    // 3 outcome keys and 32 details; labels are not bound.
    EXPECT_EQ(store.values.size(), 35u);
    const Caps user = user_access(false).capabilities;
    EXPECT_EQ(shown(store, "result.title", user), "");
    EXPECT_EQ(shown(store, "result.success", user), "yes");
}

}  // namespace
}  // namespace tarnwick::tmpl
