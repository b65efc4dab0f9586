#include "core/administrator.h"

#include <algorithm>

namespace tarnwick {
namespace {

bool listed(const std::vector<std::string>& admin_users, std::string_view name) {
    return std::find(admin_users.begin(), admin_users.end(), name) != admin_users.end();
}

template <class Has>
bool builtin(std::string_view name, Has has) {
    return std::any_of(
        kBuiltinAdministrators.begin(), kBuiltinAdministrators.end(),
        [&](const BuiltinAdministrator& admin) { return has(admin) && admin.name == name; });
}

}  // namespace

bool signs_in_as_root(std::string_view typed_name) {
    return builtin(typed_name, [](const BuiltinAdministrator& a) { return a.signs_in_as_root; });
}

std::vector<std::string> default_admin_users() {
    std::vector<std::string> names;
    for (const BuiltinAdministrator& admin : kBuiltinAdministrators) {
        if (admin.listed_by_default) names.emplace_back(admin.name);
    }
    return names;
}

bool is_builtin_login_account(std::string_view name) {
    return builtin(name, [](const BuiltinAdministrator& a) { return a.listed_by_default; });
}

bool is_admin_user(const std::vector<std::string>& admin_users, std::string_view name) {
    return builtin(name, [](const BuiltinAdministrator& a) { return a.admin_by_name; }) ||
           listed(admin_users, name);
}

bool session_is_admin(const std::vector<std::string>& admin_users, std::string_view pam_user,
                      std::string_view display_name) {
    if (pam_user == "root") return true;
    if (listed(admin_users, pam_user) || listed(admin_users, display_name)) return true;
    return is_admin_user(admin_users, pam_user);
}

}  // namespace tarnwick
