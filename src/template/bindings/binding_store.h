#pragma once
// The data side of an information page view: a fixed registry of every
// binding key the system knows, each with its access words, and the values
// the code preparing the view put in. Only the read capability is enforced,
// on display.

#include "core/capability.h"
#include "core/result.h"
#include "template/bindings/binding_value.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace tarnwick::tmpl {

// Recorded for every key; only `read` is consulted (by resolve_for_display).
struct BindingMeta {
    bool read_only = true;
    bool secret = false;
    Capability read = Capability::Session;
    Capability write = Capability::Session;

    bool operator==(const BindingMeta&) const = default;
};

struct BindingError {
    enum class Kind : std::uint8_t {
        MissingCapability,  // text: the whole message, "missing capability <name>"
        Unresolved,         // text: the key that is not registered, as given
    };
    Kind kind = Kind::Unresolved;
    std::string text;

    bool operator==(const BindingError&) const = default;
};

std::string display_binding_error(const BindingError& error);

// One store per page view; keys are compared exactly.
struct BindingStore {
    std::map<std::string, BindingValue, std::less<>> values;
    std::map<std::string, BindingMeta, std::less<>> registry;
};

// A store whose registry holds every known key and whose values are empty.
BindingStore register_binding_keys();

// Stores the value under a registered key (replacing an earlier one); an
// unregistered key gives Unresolved. No access word is checked.
Result<void, BindingError> set_binding(BindingStore& store, std::string_view key,
                                       BindingValue value);

// The same for a key the caller formatted (with an index).
Result<void, BindingError> set_binding_owned(BindingStore& store, std::string key,
                                             BindingValue value);

// The display text of a key for a viewer: Unresolved for an unregistered key
// (whatever the viewer holds), MissingCapability when the viewer lacks the
// key's read capability, else the formatted value ("" when never set).
Result<std::string, BindingError> resolve_for_display(const BindingStore& store,
                                                      std::string_view key,
                                                      const std::set<Capability>& viewer);

}  // namespace tarnwick::tmpl
