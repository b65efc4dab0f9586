#include "app/session/login_rules.h"

#include "core/administrator.h"

namespace tarnwick::app {

std::string pam_user_for(std::string_view display_name) {
    if (signs_in_as_root(display_name)) return "root";
    return std::string(display_name);
}

std::string login_error_key(std::string_view failure_text, std::size_t password_len) {
    if (password_len == 0) return "login.error.empty_password";
    std::string lower(failure_text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const auto has = [&](std::string_view needle) {
        return lower.find(needle) != std::string::npos;
    };
    if (has("bad password") || has("auth:")) return "login.error.bad_credentials";
    if (has("account rejected") || has("securetty")) return "login.error.account_denied";
    if (has("open_session") || has("setcred")) return "login.error.session";
    return "login.error.generic";
}

std::string lang_for_tag(std::string_view tag) {
    std::string lang(tag);
    for (char& c : lang) {
        if (c == '-') c = '_';
    }
    return lang + ".UTF-8";
}

}  // namespace tarnwick::app
