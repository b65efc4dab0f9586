#include "template/bindings/binding_store.h"

#include <fmt/format.h>

#include <cstddef>

namespace tarnwick::tmpl {
namespace {

// One family of keys: fixed names, or names made of a prefix, an index below
// `count` and each suffix in turn ("sys.addr.0.address", "sys.addr.0.family", ...).
struct KeyFamily {
    std::initializer_list<std::string_view> names;
    BindingMeta meta;
};

struct IndexedFamily {
    std::string_view prefix;
    std::initializer_list<std::string_view> suffixes;  // "" for the bare index
    std::size_t count;
    BindingMeta meta;
};

constexpr BindingMeta kSessionReadOnly{true, false, Capability::Session, Capability::Session};
constexpr BindingMeta kInterfaceEdit{false, false, Capability::Session, Capability::NetworkWrite};
constexpr BindingMeta kPublicReadOnly{true, false, Capability::Public, Capability::Public};
constexpr BindingMeta kPassword{false, true, Capability::Secrets, Capability::Secrets};
constexpr BindingMeta kLoginUser{false, false, Capability::Public, Capability::Public};
constexpr BindingMeta kDiagnostics{true, false, Capability::DiagnosticsRead,
                                   Capability::DiagnosticsRead};

void register_fixed(BindingStore& store, const KeyFamily& family) {
    for (const std::string_view name : family.names) {
        store.registry.emplace(std::string(name), family.meta);
    }
}

void register_indexed(BindingStore& store, const IndexedFamily& family) {
    for (std::size_t i = 0; i < family.count; ++i) {
        for (const std::string_view suffix : family.suffixes) {
            store.registry.emplace(fmt::format("{}{}{}", family.prefix, i, suffix), family.meta);
        }
    }
}

}  // namespace

std::string display_binding_error(const BindingError& error) {
    switch (error.kind) {
        case BindingError::Kind::MissingCapability:
            return error.text;
        case BindingError::Kind::Unresolved:
            return "unresolved binding: " + error.text;
    }
    return error.text;
}

BindingStore register_binding_keys() {
    BindingStore store;
    register_fixed(
        store, {{"sys.hostname", "sys.os", "sys.os_version", "sys.arch", "sys.kernel", "sys.uptime",
                 "sys.cpu_model", "sys.cpu_cores", "sys.memory", "sys.load_avg", "sys.display_user",
                 "sys.pam_user", "sys.tty", "sys.locale", "sys.address_count"},
                kSessionReadOnly});
    register_indexed(store, {"sys.addr.", {".address", ".family", ".iface"}, 32, kSessionReadOnly});
    register_fixed(store,
                   {{"iface.name", "iface.status", "iface.mac", "iface.live"}, kSessionReadOnly});
    register_fixed(store, {{"iface.ipv4_mode", "iface.ipv4_address", "iface.ipv4_netmask",
                            "iface.ipv4_gateway", "iface.ipv6_mode", "iface.ipv6_address",
                            "iface.ipv6_prefix", "iface.ipv6_gateway"},
                           kInterfaceEdit});
    register_fixed(store, {{"host.dns", "host.hostname", "host.rc_path", "host.default_v4",
                            "host.default_v6", "host.search", "host.iface_count"},
                           kSessionReadOnly});
    register_indexed(store, {"host.dns.", {""}, 16, kSessionReadOnly});
    register_indexed(store, {"net.if.", {".name", ".summary"}, 16, kSessionReadOnly});
    register_fixed(store, {{"page.title", "status"}, kPublicReadOnly});
    register_fixed(store, {{"login.password"}, kPassword});
    register_fixed(store, {{"login.user"}, kLoginUser});
    register_fixed(store, {{"diag.path", "diag.line_count", "diag.ring_max"}, kDiagnostics});
    register_fixed(store, {{"result.success", "result.summary", "result.title"}, kSessionReadOnly});
    register_indexed(store, {"result.detail.", {""}, 32, kSessionReadOnly});
    return store;
}

Result<void, BindingError> set_binding(BindingStore& store, std::string_view key,
                                       BindingValue value) {
    return set_binding_owned(store, std::string(key), std::move(value));
}

Result<void, BindingError> set_binding_owned(BindingStore& store, std::string key,
                                             BindingValue value) {
    if (store.registry.find(key) == store.registry.end()) {
        return fail(BindingError{BindingError::Kind::Unresolved, std::move(key)});
    }
    store.values.insert_or_assign(std::move(key), std::move(value));
    return {};
}

Result<std::string, BindingError> resolve_for_display(const BindingStore& store,
                                                      std::string_view key,
                                                      const std::set<Capability>& viewer) {
    const auto meta = store.registry.find(key);
    if (meta == store.registry.end()) {
        return fail(BindingError{BindingError::Kind::Unresolved, std::string(key)});
    }
    if (viewer.count(meta->second.read) == 0) {
        return fail(
            BindingError{BindingError::Kind::MissingCapability,
                         fmt::format("missing capability {}", capability_name(meta->second.read))});
    }
    const auto value = store.values.find(key);
    if (value == store.values.end()) return std::string();
    return format_binding_value(value->second);
}

}  // namespace tarnwick::tmpl
