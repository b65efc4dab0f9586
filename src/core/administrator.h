#pragma once
// Who counts as an administrator: the built-in names, written once, and the
// two deciders, side by side because they differ on purpose.
//
// - is_admin_user judges a bare name, as the dry run does with --user: the
//   built-in administrator names and the configured list, byte for byte.
//   "ADMINISTRATOR" is not among the built-in names, so a dry run of
//   ADMINISTRATOR shows what a non-administrator sees.
// - session_is_admin judges a signed-in user: root, a configured name (the
//   PAM user or the name as typed), else is_admin_user of the PAM user. A
//   sign-in as ADMINISTRATOR is a sign-in as root (signs_in_as_root), so
//   that session is an administrator's.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The account name that heads the login list; signing in as it is root.
inline constexpr std::string_view kAdministratorLogin = "administrator";

struct BuiltinAdministrator {
    std::string_view name;
    bool signs_in_as_root;   // typed at the login screen, PAM sees root
    bool admin_by_name;      // is_admin_user holds it without configuration
    bool listed_by_default;  // in admin_users by default; never offered as a login-list member
};

// In the order of the default admin_users.
inline constexpr std::array<BuiltinAdministrator, 6> kBuiltinAdministrators{{
    {"root", false, true, true},
    {kAdministratorLogin, true, true, true},
    {"admin", true, true, true},
    {"Administrator", true, true, false},
    {"Admin", true, true, false},
    {"ADMINISTRATOR", true, false, false},
}};

// Whether the name typed at the login screen signs in as root.
bool signs_in_as_root(std::string_view typed_name);

// The default of the configuration's admin_users: root, administrator, admin.
std::vector<std::string> default_admin_users();

// root, administrator and admin: the login list offers none of them as a
// group member ("administrator" heads it on its own).
bool is_builtin_login_account(std::string_view name);

// The dry run's rule for a bare name: a built-in administrator name or an
// exact entry of the configured list. An empty name only matches an empty
// entry.
bool is_admin_user(const std::vector<std::string>& admin_users, std::string_view name);

// The session's rule after sign-in, in this order: the PAM user is root; an
// entry of the configured list equals the PAM user or the display name;
// is_admin_user of the PAM user.
bool session_is_admin(const std::vector<std::string>& admin_users, std::string_view pam_user,
                      std::string_view display_name);

}  // namespace tarnwick
