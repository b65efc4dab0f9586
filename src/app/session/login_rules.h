#pragma once
// Small rules of the login loop.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::app {

inline constexpr int LOGIN_ATTEMPTS = 3;

// The administrator aliases sign in as root; every other name as typed.
std::string pam_user_for(std::string_view display_name);

// The message key shown for a failed attempt, from its failure text.
std::string login_error_key(std::string_view failure_text, std::size_t password_len);

// LANG for a language tag: "fr-FR" -> "fr_FR.UTF-8".
std::string lang_for_tag(std::string_view tag);

}  // namespace tarnwick::app
