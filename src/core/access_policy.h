#pragma once
// What a signed-in user may see and do: the administrator flag becomes a role,
// the role's fixed groups, and the capabilities those groups give.

#include "core/capability.h"

#include <set>
#include <string>
#include <string_view>

namespace tarnwick {

struct AccessGrant {
    std::string role;                   // "admin" or "user"
    std::set<std::string> groups;       // ordered by name
    std::set<Capability> capabilities;  // ordered by value

    bool holds(Capability capability) const { return capabilities.count(capability) != 0; }
};

// A fresh grant on every call. A grant never holds public, diagnostics.read
// or secrets: it always describes a signed-in user.
AccessGrant user_access(bool is_admin);

// Whether the named action (exact, case-sensitive) is known and its required
// capability is granted; unknown actions are refused. The names and their
// capabilities are those of the action table (core/menu_action.h).
bool authorize_action(std::string_view action, bool is_admin);

}  // namespace tarnwick
