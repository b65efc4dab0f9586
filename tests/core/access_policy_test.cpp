#include "core/access_policy.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(UserAccess, RoleGroupsAndCapabilities) {
    const AccessGrant user = user_access(false);
    EXPECT_EQ(user.role, "user");
    EXPECT_EQ(user.groups, (std::set<std::string>{"console"}));
    EXPECT_EQ(user.capabilities, (std::set<Capability>{Capability::Session}));

    const AccessGrant admin = user_access(true);
    EXPECT_EQ(admin.role, "admin");
    EXPECT_EQ(admin.groups, (std::set<std::string>{"console", "wheel"}));
    EXPECT_EQ(admin.capabilities,
              (std::set<Capability>{Capability::Session, Capability::Admin,
                                    Capability::NetworkWrite, Capability::Power}));
    // A signed-in user never holds what only the login page or nobody holds.
    for (const auto& grant : {user, admin}) {
        EXPECT_FALSE(grant.holds(Capability::Public));
        EXPECT_FALSE(grant.holds(Capability::DiagnosticsRead));
        EXPECT_FALSE(grant.holds(Capability::Secrets));
    }
}

TEST(AuthorizeAction, ActionTableByRole) {
    struct Case {
        std::string_view action;
        bool user;
        bool admin;
    };
    const Case cases[] = {
        {"spawn_shell", true, true}, {"system_info", true, true},    {"network_status", true, true},
        {"power_menu", true, true},  {"logout", true, true},         {"power_off", false, true},
        {"reboot", false, true},     {"network_apply", false, true}, {"make_static", false, true},
        {"Logout", false, false},    {"shutdown", false, false},     {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(authorize_action(c.action, false), c.user) << c.action;
        EXPECT_EQ(authorize_action(c.action, true), c.admin) << c.action;
    }
}

}  // namespace
}  // namespace tarnwick
