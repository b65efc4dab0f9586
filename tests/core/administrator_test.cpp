#include "core/administrator.h"
#include "core/config.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(IsAdminUser, KnowsTheBuiltInNamesAndTheExactList) {
    const std::vector<std::string> defaults = TarnwickConfig{}.admin_users;
    const struct {
        std::vector<std::string> list;
        const char* name;
        bool admin;
    } cases[] = {
        {{}, "Admin", true},
        {{}, "Administrator", true},
        {{}, "root", true},
        {defaults, "ADMINISTRATOR", false},
        {defaults, "Root", false},
        {{"alice"}, "alice", true},
        {{"alice"}, "Alice", false},
        {{"alice"}, "", false},
        {{""}, "", true},
    };
    for (const auto& c : cases) EXPECT_EQ(is_admin_user(c.list, c.name), c.admin) << c.name;
}

TEST(SessionIsAdmin, RootThenTheListThenTheBuiltInNames) {
    const std::vector<std::string> defaults = TarnwickConfig{}.admin_users;
    const struct {
        std::vector<std::string> list;
        const char* pam_user;
        const char* display_name;
        bool admin;
    } cases[] = {
        // Every built-in alias signs in as root, whatever the list holds.
        {{}, "root", "Admin", true},
        {{}, "root", "ADMINISTRATOR", true},
        {{"alice"}, "root", "root", true},
        // A configured name, as PAM user or as typed.
        {{"ops1"}, "ops1", "ops1", true},
        {{"Ops"}, "ops", "Ops", true},
        {{"ops1"}, "Ops1", "Ops1", false},
        // The built-in names count for the PAM user, not for the typed name.
        {{}, "admin", "x", true},
        {{}, "x", "admin", false},
        {defaults, "bob", "bob", false},
        {{}, "", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(session_is_admin(c.list, c.pam_user, c.display_name), c.admin)
            << c.pam_user << " / " << c.display_name;
    }
}

TEST(SessionIsAdmin, AdministratorInCapitalsDiffersBetweenDryRunAndSignIn) {
    const std::vector<std::string> defaults = TarnwickConfig{}.admin_users;
    EXPECT_FALSE(is_admin_user(defaults, "ADMINISTRATOR"));
    ASSERT_TRUE(signs_in_as_root("ADMINISTRATOR"));
    EXPECT_TRUE(session_is_admin(defaults, "root", "ADMINISTRATOR"));
}

TEST(BuiltinAdministrators, DefaultListAndLoginAccounts) {
    EXPECT_EQ(default_admin_users(), (std::vector<std::string>{"root", "administrator", "admin"}));
    const struct {
        const char* name;
        bool root_alias;
        bool login_account;
    } cases[] = {
        {"root", false, true},   {"administrator", true, true},
        {"admin", true, true},   {"Administrator", true, false},
        {"Admin", true, false},  {"ADMINISTRATOR", true, false},
        {"ADMIN", false, false}, {"toor", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(signs_in_as_root(c.name), c.root_alias) << c.name;
        EXPECT_EQ(is_builtin_login_account(c.name), c.login_account) << c.name;
    }
}

}  // namespace
}  // namespace tarnwick
