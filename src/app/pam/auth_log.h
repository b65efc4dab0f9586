#pragma once
// The authentication log: one line per login attempt before PAM runs and one
// with its outcome, appended to /var/log/tarnwick-auth.log and copied into the
// console log. Only the password's length is ever written.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::app {

inline constexpr std::string_view kAuthLogFile = "/var/log/tarnwick-auth.log";

// Appends one line; never fails (an unwritable file or a failing `date` never
// stops a login). A result of nothing is written as "attempt".
void append_auth_log(std::string_view display, std::string_view pam_user, std::string_view tty,
                     std::size_t password_len, std::optional<std::string_view> result);
// The same with the log file as a parameter.
void append_auth_log(const std::string& path, std::string_view display, std::string_view pam_user,
                     std::string_view tty, std::size_t password_len,
                     std::optional<std::string_view> result);

// The line, "\n" included.
std::string auth_log_line(std::string_view time, std::string_view display,
                          std::string_view pam_user, std::string_view tty, std::size_t password_len,
                          std::optional<std::string_view> result);

// A value in double quotes with quotes, backslashes, controls, non-printable
// and combining characters escaped. Invalid UTF-8 bytes are written as U+FFFD.
std::string quote_log_value(std::string_view value);

// The UTC time from `date -u +%Y-%m-%dT%H:%M:%SZ`, trimmed; "unknown-time"
// when it cannot be started or prints something that is not UTF-8.
std::string auth_log_time();

}  // namespace tarnwick::app
