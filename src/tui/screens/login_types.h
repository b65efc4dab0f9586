#pragma once
// What the login screen is given about the last failed attempt, and what it
// hands back on submit.

#include "core/secret_string.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::tui {

struct LoginFailure {
    std::optional<std::size_t> password_len;  // characters of the password tried
    std::string title;
    std::string message;
    std::optional<std::string> tried_user;
    std::optional<std::string> pam_user;
    std::optional<std::string> detail;
    std::uint32_t attempts_left = 0;
};

struct LoginRequest {
    std::string user;
    SecretString password;  // wiped when the request is dropped
    std::string language;
};

enum class LoginFocus : std::uint8_t { User = 0, Pass = 1, Lang = 2 };

}  // namespace tarnwick::tui
