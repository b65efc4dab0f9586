#include "core/access_policy.h"

#include "core/menu_action.h"

namespace tarnwick {
namespace {

// The group table; a group it does not name adds nothing.
void add_group_capabilities(std::string_view group, std::set<Capability>& out) {
    if (group == "console") {
        out.insert(Capability::Session);
    } else if (group == "wheel") {
        out.insert({Capability::Admin, Capability::NetworkWrite, Capability::Power});
    } else if (group == "netops") {
        out.insert(Capability::NetworkWrite);
    } else if (group == "ops") {
        out.insert(Capability::Power);
    }
}

}  // namespace

AccessGrant user_access(bool is_admin) {
    AccessGrant grant;
    grant.role = is_admin ? "admin" : "user";
    grant.groups =
        is_admin ? std::set<std::string>{"console", "wheel"} : std::set<std::string>{"console"};
    grant.capabilities = {Capability::Session};
    for (const auto& group : grant.groups) add_group_capabilities(group, grant.capabilities);
    if (grant.holds(Capability::Admin)) {
        grant.capabilities.insert(
            {Capability::NetworkWrite, Capability::Power, Capability::Session});
    }
    return grant;
}

bool authorize_action(std::string_view action, bool is_admin) {
    const auto required = named_action_capability(action);
    return required && user_access(is_admin).holds(*required);
}

}  // namespace tarnwick
